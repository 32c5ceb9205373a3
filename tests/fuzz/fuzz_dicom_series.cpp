// A folder holding one file of any content, read as volimport reads a DICOM
// folder: the structure check, GDCM's header and image readers, stacking and
// value conversion. GDCM stops the process on some damaged files; none may
// get past the structure check to it.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "scan/dicom_series.h"
#include "tests/fuzz/fuzz_scratch.h"

namespace {

struct Folder {
    fuzzing::ScratchFile file{"-dicom/slice"};
    std::string path = file.path().substr(0, file.path().rfind('/'));
    std::FILE* notes = std::fopen("/dev/null", "w");
    Folder() { mkdir(path.c_str(), 0700); }
    ~Folder() {
        std::remove(file.path().c_str());
        rmdir(path.c_str());
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static Folder folder;
    folder.file.write(data, size);
    std::vector<scan::SeriesSummary> series;
    std::string error;
    if (!scan::findSeries(folder.path, series, folder.notes, error)) return 0;
    FUZZ_CHECK(series.size() == 1 && series[0].files.size() == 1);
    // A header may claim any size; the volume is allocated before the pixel
    // data is read, so only sizes a fuzz input could hold are read.
    if (static_cast<double>(series[0].columns) * series[0].rows > (1 << 20)) return 0;
    scan::RealVolume volume;
    if (!scan::readSeries(series[0], volume, folder.notes, error)) return 0;
    FUZZ_CHECK(volume.values.size() ==
               static_cast<std::size_t>(volume.dims[0]) * volume.dims[1] * volume.dims[2]);
    return 0;
}
