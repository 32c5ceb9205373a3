// volread: the reader of DICOM and NIfTI files on hosts that cannot fork
// (Windows). volview and volimport start it beside themselves for each scan
// and take its answer; a file that makes a library crash ends only it.
// Arguments: the request (import_request.h), then the answer handle.
#include <cstdio>
#include <string>

#include "platform/child_process.h"
#include "scan/import_request.h"
#include "scan/isolated_import.h"

int main(int argc, char** argv) {
    scan::ImportRequest request;
    platform::ParentLink link;
    if (argc != 3 || !scan::decodeRequest(argv[1], request) ||
        !platform::parentLinkFromArgument(argv[2], link)) {
        std::fputs("volread: started by volview and volimport only\n", stderr);
        return 2;
    }
    return scan::serveRequest(request, link);
}
