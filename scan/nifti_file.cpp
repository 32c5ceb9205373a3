#include "scan/nifti_file.h"

#include <nifti2_io.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "platform/file_input.h"
#include "scan/nifti_volume.h"
#include "scan/read_watch.h"

namespace scan {
namespace {

// "NIfTI-2" or "NIfTI-1", from the header's own size (540 or 348 bytes).
// NOTE: the image the library returns says NIfTI-1 for both.
const char* niftiVersionName(const std::string& path) {
    int version = 0;
    void* header = nifti_read_header(path.c_str(), &version, 0);
    std::free(header);
    return version == 2 ? "NIfTI-2" : "NIfTI-1";
}

}  // namespace

bool niftiAvailable() { return true; }

bool readNiftiFile(const std::string& path, long long volume, RealVolume& out, std::string& note,
                   std::string& error) {
    // The library would wait on a pipe or read a device without end.
    platform::InputFileStatus status;
    int errorNumber = 0;
    std::FILE* probe = platform::openRegularFile(path.c_str(), status, errorNumber);
    if (probe == nullptr) {
        error = platform::describeInputFileStatus(status);
        return false;
    }
    std::fclose(probe);
    announceRead(path);
    nifti_set_debug_level(0);
    std::unique_ptr<nifti_image, void (*)(nifti_image*)> image(nifti_image_read(path.c_str(), 1),
                                                               &nifti_image_free);
    if (!image || image->data == nullptr) {
        error = "not a NIfTI-1 or NIfTI-2 image, or its data cannot be read";
        return false;
    }
    NiftiHeader header;
    // NIfTI-2 sizes are 64-bit; beyond 65535 the volume check refuses them.
    for (int a = 0; a < 3; ++a)
        header.dims[a] = static_cast<int>(std::min<int64_t>(image->dim[a + 1], 65536));
    header.volume = volume;
    header.volumes = 1;
    for (int d = 4; d <= 7 && d <= image->dim[0]; ++d) header.volumes *= std::max<int64_t>(1, image->dim[d]);
    header.datatype = image->datatype;
    header.slope = image->scl_slope;
    header.intercept = image->scl_inter;
    header.pixdim[0] = image->dx;
    header.pixdim[1] = image->dy;
    header.pixdim[2] = image->dz;
    header.sformCode = image->sform_code;
    header.qformCode = image->qform_code;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) {
            header.sform[r][c] = image->sto_xyz.m[r][c];
            header.qform[r][c] = image->qto_xyz.m[r][c];
        }
    }
    const std::size_t bytes = static_cast<std::size_t>(image->nvox) * static_cast<std::size_t>(image->nbyper);
    if (!niftiToVolume(header, image->data, bytes, out, note, error)) return false;
    out.source = std::string(niftiVersionName(path)) + ", " + nifti_datatype_string(image->datatype);
    return true;
}

}  // namespace scan
