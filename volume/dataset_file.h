// The dataset file: three little-endian uint16 dimensions, then
// dimX * dimY * dimZ little-endian uint16 samples, x fastest. The reader
// ignores bytes after the last sample.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace volume {

constexpr int kMaxDatasetDim = 65535;

// The six header bytes of a dataset of the given dimensions (each 0..65535).
std::string datasetHeader(int dimX, int dimY, int dimZ);

// The file bytes of a dataset. False when a dimension is outside
// 1..kMaxDatasetDim or `samples` does not hold dimX * dimY * dimZ values.
bool encodeDataset(const int dims[3], const std::vector<uint16_t>& samples, std::string& out);

// Writes the dataset to a temporary file next to `path` and moves it into
// place, so a reader never sees half a file and a link at `path` is replaced,
// not written through. Without `overwrite` an existing `path` is left alone.
// On failure `error` says why (without the path).
bool writeDataset(const std::string& path, const int dims[3], const std::vector<uint16_t>& samples,
                  bool overwrite, std::string& error);

class DatasetFile {
public:
    DatasetFile() = default;
    DatasetFile(const DatasetFile&) = delete;
    DatasetFile& operator=(const DatasetFile&) = delete;
    ~DatasetFile();

    // Opens the file and reads its header. Fails, with error() naming the
    // file and the problem, when the file cannot be read or is not a regular
    // file (a directory, a device, a pipe), the header is short, a dimension
    // is zero, or the file holds fewer samples than the header announces.
    // Nothing is allocated for the samples before that check.
    bool open(const char* path);
    // Reads all samples into `out` (sampleCount() values) in one read.
    bool readSamples(uint16_t* out);

    uint16_t dimX() const { return dims_[0]; }
    uint16_t dimY() const { return dims_[1]; }
    uint16_t dimZ() const { return dims_[2]; }
    std::size_t sampleCount() const { return static_cast<std::size_t>(dims_[0]) * dims_[1] * dims_[2]; }
    const std::string& error() const { return error_; }

private:
    bool fail(const std::string& problem);
    void close();

    std::FILE* file_ = nullptr;
    std::string path_;
    uint16_t dims_[3] = {0, 0, 0};
    std::string error_;
};

}  // namespace volume
