#include "volume/dataset_file.h"

#include <cerrno>
#include <cstring>

#include "platform/file_input.h"
#include "platform/file_output.h"

namespace volume {
namespace {

constexpr long kHeaderBytes = 6;

uint16_t littleEndian16(const unsigned char* bytes) {
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

std::string describeErrno(int error) {
    return error != 0 ? std::string(" (") + std::strerror(error) + ")" : std::string();
}

void putLittleEndian16(std::string& out, unsigned value) {
    out.push_back(static_cast<char>(value & 0xff));
    out.push_back(static_cast<char>((value >> 8) & 0xff));
}

}  // namespace

std::string datasetHeader(int dimX, int dimY, int dimZ) {
    std::string header;
    for (int d : {dimX, dimY, dimZ}) putLittleEndian16(header, static_cast<unsigned>(d));
    return header;
}

bool encodeDataset(const int dims[3], const std::vector<uint16_t>& samples, std::string& out) {
    for (int i = 0; i < 3; ++i) {
        if (dims[i] < 1 || dims[i] > kMaxDatasetDim) return false;
    }
    if (samples.size() != static_cast<std::size_t>(dims[0]) * dims[1] * dims[2]) return false;
    out = datasetHeader(dims[0], dims[1], dims[2]);
    out.reserve(out.size() + 2 * samples.size());
    for (uint16_t v : samples) putLittleEndian16(out, v);
    return true;
}

bool writeDataset(const std::string& path, const int dims[3], const std::vector<uint16_t>& samples,
                  bool overwrite, std::string& error) {
    std::string bytes;
    if (!encodeDataset(dims, samples, bytes)) {
        error = "dimensions do not fit the file";
        return false;
    }
    return platform::writeFileAtomically(path, bytes.data(), bytes.size(), overwrite, error);
}

DatasetFile::~DatasetFile() { close(); }

void DatasetFile::close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

bool DatasetFile::fail(const std::string& problem) {
    close();
    error_ = path_ + ": " + problem;
    return false;
}

bool DatasetFile::open(const char* path) {
    close();
    path_ = path;
    error_.clear();
    // Only regular files: a device or a pipe has no length to check the
    // header against and may never end.
    platform::InputFileStatus status = platform::InputFileStatus::ok;
    int openError = 0;
    file_ = platform::openRegularFile(path, status, openError);
    if (file_ == nullptr) {
        return fail(std::string(platform::describeInputFileStatus(status)) + describeErrno(openError));
    }

    unsigned char header[kHeaderBytes];
    errno = 0;
    const std::size_t got = std::fread(header, 1, sizeof header, file_);
    if (std::ferror(file_)) return fail("cannot read" + describeErrno(errno));
    if (got < sizeof header) {
        return fail("not a dataset: the header needs 6 bytes, the file has " + std::to_string(got));
    }
    for (int i = 0; i < 3; ++i) dims_[i] = littleEndian16(header + 2 * i);
    const std::string dims =
        std::to_string(dims_[0]) + " x " + std::to_string(dims_[1]) + " x " + std::to_string(dims_[2]);
    if (sampleCount() == 0) return fail("not a dataset: a dimension is zero (" + dims + ")");

    // Check the length before anything is allocated, so a damaged header
    // cannot ask for terabytes.
    errno = 0;
    if (std::fseek(file_, 0, SEEK_END) != 0) return fail("cannot read" + describeErrno(errno));
    const long end = std::ftell(file_);
    if (end < kHeaderBytes) return fail("cannot read" + describeErrno(errno));
    const unsigned long long have = static_cast<unsigned long long>(end - kHeaderBytes) / 2;
    if (have < sampleCount()) {
        return fail("truncated: the header announces " + dims + " = " + std::to_string(sampleCount()) +
                    " samples, the file holds " + std::to_string(have));
    }
    if (std::fseek(file_, kHeaderBytes, SEEK_SET) != 0) return fail("cannot read" + describeErrno(errno));
    return true;
}

bool DatasetFile::readSamples(uint16_t* out) {
    if (file_ == nullptr) return false;
    const std::size_t count = sampleCount();
    errno = 0;
    const std::size_t got = std::fread(out, 2, count, file_);
    if (got < count) {
        if (std::ferror(file_)) return fail("cannot read" + describeErrno(errno));
        return fail("truncated: the header announces " + std::to_string(count) + " samples, the file holds " +
                    std::to_string(got));
    }
    // The file is little-endian; swap on a big-endian host.
    const uint16_t probe = 1;
    if (*reinterpret_cast<const unsigned char*>(&probe) == 0) {
        for (std::size_t i = 0; i < count; ++i) {
            out[i] = littleEndian16(reinterpret_cast<const unsigned char*>(out + i));
        }
    }
    close();
    return true;
}

}  // namespace volume
