// Stands in for the NIfTI reader in builds without the NIfTI library.
#include "scan/nifti_file.h"

namespace scan {

bool niftiAvailable() { return false; }

bool readNiftiFile(const std::string&, long long, RealVolume&, std::string&, std::string& error) {
    error = "NIfTI is not available in this build (it was built without the NIfTI library)";
    return false;
}

}  // namespace scan
