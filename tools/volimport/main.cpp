// volimport: turns a CT project archive or a raw volume into a dataset file.
#include <cstdio>
#include <new>
#include <string>

#include "scan/importer.h"
#include "tools/volimport/options.h"

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
        return scan::runImport(options, stdout, stderr);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "volimport: %s: out of memory\n", options.inputPath.c_str());
        return 1;
    }
}
