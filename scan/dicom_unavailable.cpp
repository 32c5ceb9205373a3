// Stands in for the DICOM reader in builds without GDCM.
#include "scan/dicom_series.h"

namespace scan {

bool dicomAvailable() { return false; }

bool findSeries(const std::string&, std::vector<SeriesSummary>&, std::FILE*, std::string& error) {
    error = "DICOM is not available in this build (it was built without GDCM)";
    return false;
}

bool readSeries(const SeriesSummary&, RealVolume&, std::FILE*, std::string& error) {
    error = "DICOM is not available in this build (it was built without GDCM)";
    return false;
}

}  // namespace scan
