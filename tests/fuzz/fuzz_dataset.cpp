// Dataset files of any content: header, samples and trailing bytes. A file
// either loads into a whole grid of edge 8 or leaves the volume empty with a
// message that starts with the path.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/fuzz_scratch.h"
#include "volume/volume.h"

constexpr int kEdge = 8;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const fuzzing::ScratchFile scratch(".dat");
    const std::string& path = scratch.write(data, size);
    // An empty path fails before any progress line; later loads are silent.
    static volume::Volume& volume = *new volume::Volume("", kEdge);
    volume.setProgressOutput(nullptr);
    volume.load(path.c_str(), kEdge);
    if (volume.isEmpty()) {
        FUZZ_CHECK(volume.loadError().rfind(path + ": ", 0) == 0);
        FUZZ_CHECK(volume.sizeX() == 0);
        FUZZ_CHECK(volume.createGradientTexture(kEdge) == nullptr);
        return 0;
    }
    FUZZ_CHECK(volume.loadError().empty());
    FUZZ_CHECK(size >= 6);
    const std::size_t announced =
        std::size_t(data[0] | data[1] << 8) * (data[2] | data[3] << 8) * (data[4] | data[5] << 8);
    FUZZ_CHECK(announced > 0 && 6 + 2 * announced <= size);
    FUZZ_CHECK(volume.sizeX() == kEdge && volume.sizeY() == kEdge && volume.sizeZ() == kEdge);
    FUZZ_CHECK(volume.createDensityTexture(8, kEdge) != nullptr);
    FUZZ_CHECK(volume.createGradientTexture(kEdge) != nullptr);
    FUZZ_CHECK(volume.createTransferTable(256) != nullptr);
    return 0;
}
