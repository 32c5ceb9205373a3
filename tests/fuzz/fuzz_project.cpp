// Project archives of any content. A gzip stream goes through the file
// reader as volimport reads it; anything else is taken as the decompressed
// tar, so that the tar index, the description and the samples are reached
// without a valid compressed stream.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "scan/inv3_project.h"
#include "scan/tar_archive.h"
#include "tests/fuzz/fuzz_scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const fuzzing::ScratchFile scratch(".inv3");
    scan::Scan scan;
    std::string error;
    bool read = false;
    if (size >= 2 && data[0] == 0x1f && data[1] == 0x8b) {
        read = scan::readInv3Project(scratch.write(data, size), 1024, scan, error);
    } else {
        std::vector<scan::TarMember> members;
        if (scan::listTarMembers(data, size, members, error)) {
            for (const scan::TarMember& member : members) {
                FUZZ_CHECK(member.offset <= size && member.size <= size - member.offset);
            }
        } else {
            FUZZ_CHECK(!error.empty());
        }
        error.clear();
        read = scan::readInv3Archive(data, size, 1024, scan, error);
    }
    if (!read) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    FUZZ_CHECK(scan.grid.samples.size() == scan.grid.count() && scan.grid.count() > 0);
    for (uint16_t sample : scan.grid.samples) FUZZ_CHECK(sample <= 4095);
    for (double spacing : scan.spacing) FUZZ_CHECK(spacing > 0.0);
    return 0;
}
