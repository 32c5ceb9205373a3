// volimport: turns a scan (DICOM, NIfTI, a CT project archive or a raw
// volume) into a dataset file.
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "scan/importer.h"
#include "tools/volimport/options.h"

#if defined(__SANITIZE_ADDRESS__)
#define VOLIMPORT_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VOLIMPORT_LEAK_CHECKED 1
#endif
#endif

namespace {

// Ends at once, leaving the freeing of memory to the system.
// NOTE: after a DICOM or NIfTI import has forked its reader every heap page
// is copy-on-write, and the libraries' exit-time destructors would copy a
// thousand pages only to free them (a tenth of a small import's time).
// Sanitizer builds end normally: their leak check runs at exit.
int endNow(int status) {
#ifndef VOLIMPORT_LEAK_CHECKED
    std::fflush(nullptr);
    std::_Exit(status);
#endif
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    scan::Options options;
    std::string error;
    if (!volimport::parseOptions(argc - 1, argv + 1, options, error)) {
        std::fprintf(stderr, "volimport: %s\nTry 'volimport --help'.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(volimport::usageText(), stdout);
        return 0;
    }
    try {
        return endNow(scan::runImport(options, stdout, stderr));
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "volimport: %s: out of memory\n", options.inputPath.c_str());
        return 1;
    }
}
