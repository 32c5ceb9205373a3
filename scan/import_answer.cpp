#include "scan/import_answer.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "volume/dataset_file.h"

namespace scan {
namespace {

constexpr std::size_t kMaxPath = 65536;
constexpr std::size_t kMaxMessage = 65536;
constexpr std::size_t kMaxScanHeader = 1 << 20;  // the report is a few lines
// As many samples as the importer ever puts out.
constexpr uint64_t kMaxSamples = 2147483648ull;
constexpr uint16_t kMaxSample = 4095;

void putNumber(std::string& bytes, uint64_t value, int width) {
    for (int i = 0; i < width; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

void putDouble(std::string& bytes, double value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    putNumber(bytes, bits, 8);
}

uint64_t number(const unsigned char* bytes, int width) {
    uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = (value << 8) | bytes[i];
    return value;
}

bool sendRecord(const platform::ParentLink& link, char tag, const void* data, std::size_t size) {
    std::string head(1, tag);
    putNumber(head, size, 8);
    if (size <= kMaxPath) {  // one write: one wake-up of the parent per file announced
        if (size > 0) head.append(static_cast<const char*>(data), size);
        return platform::writeToParent(link, head.data(), head.size());
    }
    return platform::writeToParent(link, head.data(), head.size()) &&
           platform::writeToParent(link, data, size);
}

bool readExactly(AnswerSource& source, void* data, std::size_t size) {
    char* at = static_cast<char*>(data);
    while (size > 0) {
        const std::size_t got = source.read(at, size);
        if (got == 0) return false;
        at += got;
        size -= got;
    }
    return true;
}

// The scan header's fields, each checked against what is left of it.
class HeaderFields {
public:
    explicit HeaderFields(const std::string& bytes) : bytes_(bytes) {}
    bool text(std::string& out) {
        uint64_t length = 0;
        if (!value(length, 4) || length > bytes_.size() - at_) return false;
        out = bytes_.substr(at_, length);
        at_ += length;
        return true;
    }
    bool value(uint64_t& out, int width) {
        if (bytes_.size() - at_ < static_cast<std::size_t>(width)) return false;
        out = number(reinterpret_cast<const unsigned char*>(bytes_.data()) + at_, width);
        at_ += width;
        return true;
    }
    bool real(double& out) {
        uint64_t bits = 0;
        if (!value(bits, 8)) return false;
        std::memcpy(&out, &bits, sizeof out);
        return true;
    }
    bool done() const { return at_ == bytes_.size(); }

private:
    const std::string& bytes_;
    std::size_t at_ = 0;
};

// The dimensions that end a scan header, checked.
bool readDims(HeaderFields& fields, SampleGrid& grid, std::string& damage) {
    uint64_t dims[3] = {0, 0, 0};
    if (!fields.value(dims[0], 4) || !fields.value(dims[1], 4) || !fields.value(dims[2], 4) ||
        !fields.done()) {
        damage = "its scan header does not hold its fields";
        return false;
    }
    uint64_t count = 1;
    for (int a = 0; a < 3; ++a) {
        if (dims[a] < 1 || dims[a] > static_cast<uint64_t>(volume::kMaxDatasetDim)) {
            damage = "a scan dimension of " + std::to_string(dims[a]);
            return false;
        }
        grid.dims[a] = static_cast<int>(dims[a]);
        count *= dims[a];
    }
    if (count > kMaxSamples) {
        damage = "a scan of " + std::to_string(count) + " samples";
        return false;
    }
    return true;
}

bool readScanHeader(const std::string& bytes, ImportedScan& scan, std::string& damage) {
    HeaderFields fields(bytes);
    if (!fields.text(scan.modality) || !fields.text(scan.report)) {
        damage = "its scan header does not hold its fields";
        return false;
    }
    return readDims(fields, scan.cubic, damage);
}

bool readReadHeader(const std::string& bytes, ReadScan& read, std::string& damage) {
    HeaderFields fields(bytes);
    Scan& scan = read.scan;
    uint64_t type = 0, placed = 0;
    PatientPlacement& place = scan.placement;
    double* places[12] = {place.first, place.first + 1, place.first + 2};
    for (int i = 0; i < 9; ++i) places[3 + i] = &place.axes[i / 3][i % 3];
    bool complete = fields.text(read.modality) && fields.text(read.valuesText) &&
                    fields.text(read.orientationText) && fields.text(scan.source) && fields.value(type, 4) &&
                    fields.value(scan.clamped.below, 8) && fields.value(scan.clamped.above, 8) &&
                    fields.real(scan.spacing[0]) && fields.real(scan.spacing[1]) &&
                    fields.real(scan.spacing[2]) && fields.value(placed, 4);
    for (double* value : places) complete = complete && fields.real(*value);
    if (!complete) {
        damage = "its scan header does not hold its fields";
        return false;
    }
    if (type > static_cast<uint64_t>(SampleType::UInt16)) {
        damage = "a sample type of " + std::to_string(type);
        return false;
    }
    scan.type = static_cast<SampleType>(type);
    if (placed > 1) {
        damage = "a place in the patient marked " + std::to_string(placed);
        return false;
    }
    for (double* value : places) {
        if (!std::isfinite(*value)) {
            damage = "a place in the patient of " + std::to_string(*value);
            return false;
        }
    }
    place.known = placed == 1;
    for (int a = 0; a < 3; ++a) {
        if (!std::isfinite(scan.spacing[a]) || scan.spacing[a] <= 0) {
            damage = "a spacing of " + std::to_string(scan.spacing[a]);
            return false;
        }
    }
    if (!readDims(fields, scan.grid, damage)) return false;
    if (scan.clamped.below > scan.grid.count() || scan.clamped.above > scan.grid.count()) {
        damage = "more samples clamped than there are";
        return false;
    }
    return true;
}

bool readSamples(AnswerSource& source, uint64_t length, SampleGrid& grid, std::string& damage) {
    const std::size_t count = grid.count();
    if (length != 2 * static_cast<uint64_t>(count)) {
        damage = std::to_string(length) + " bytes of samples for " + std::to_string(count) + " samples";
        return false;
    }
    grid.samples.resize(count);
    // Both ends are this build on this host: the samples are in its byte order.
    if (!readExactly(source, grid.samples.data(), length)) {
        damage = "it ended inside the samples";
        return false;
    }
    for (uint16_t sample : grid.samples) {
        if (sample > kMaxSample) {
            damage = "a sample of " + std::to_string(sample);
            return false;
        }
    }
    return true;
}

}  // namespace

bool sendReading(const platform::ParentLink& link, const std::string& path) {
    return sendRecord(link, 'F', path.data(), path.size());
}

bool sendRefusal(const platform::ParentLink& link, const std::string& error) {
    return sendRecord(link, 'X', error.data(), error.size());
}

bool sendListed(const platform::ParentLink& link) { return sendRecord(link, 'L', nullptr, 0); }

bool sendScan(const platform::ParentLink& link, const ImportedScan& scan) {
    std::string header;
    for (const std::string* text : {&scan.modality, &scan.report}) {
        putNumber(header, text->size(), 4);
        header += *text;
    }
    for (int a = 0; a < 3; ++a) putNumber(header, static_cast<uint64_t>(scan.cubic.dims[a]), 4);
    return sendRecord(link, 'S', header.data(), header.size()) &&
           sendRecord(link, 'D', scan.cubic.samples.data(), 2 * scan.cubic.samples.size());
}

bool sendReadScan(const platform::ParentLink& link, const ReadScan& read) {
    const Scan& scan = read.scan;
    std::string header;
    for (const std::string* text : {&read.modality, &read.valuesText, &read.orientationText, &scan.source}) {
        putNumber(header, text->size(), 4);
        header += *text;
    }
    putNumber(header, static_cast<uint64_t>(scan.type), 4);
    putNumber(header, scan.clamped.below, 8);
    putNumber(header, scan.clamped.above, 8);
    for (double spacing : scan.spacing) putDouble(header, spacing);
    putNumber(header, scan.placement.known ? 1 : 0, 4);
    for (double value : scan.placement.first) putDouble(header, value);
    for (const double* axis : scan.placement.axes) {
        for (int k = 0; k < 3; ++k) putDouble(header, axis[k]);
    }
    for (int a = 0; a < 3; ++a) putNumber(header, static_cast<uint64_t>(scan.grid.dims[a]), 4);
    return sendRecord(link, 'R', header.data(), header.size()) &&
           sendRecord(link, 'D', scan.grid.samples.data(), 2 * scan.grid.samples.size());
}

bool readAnswer(AnswerSource& source, ImportAnswer& answer, std::string& damage) {
    SampleGrid* grid = nullptr;  // the grid whose samples come next
    bool headerRead = false;
    for (;;) {
        unsigned char head[9];
        const std::size_t got = source.read(head, 1);
        if (got == 0) {
            if (!headerRead) return true;  // ended before a result
            damage = "it ended before the samples";
            return false;
        }
        if (!readExactly(source, head + 1, 8)) {
            damage = "it ended inside a record's length";
            return false;
        }
        const char tag = static_cast<char>(head[0]);
        const uint64_t length = number(head + 1, 8);
        if (tag == 'D' && headerRead) {
            if (!readSamples(source, length, *grid, damage)) return false;
            answer.kind =
                grid == &answer.read.scan.grid ? ImportAnswer::Kind::Read : ImportAnswer::Kind::Imported;
            return true;
        }
        const std::size_t limit = tag == 'F'                 ? kMaxPath
                                  : tag == 'X'               ? kMaxMessage
                                  : tag == 'S' || tag == 'R' ? kMaxScanHeader
                                  : tag == 'L'               ? 0
                                                             : std::string::npos;
        if (limit == std::string::npos || headerRead) {
            damage = std::string("an unexpected record (tag ") + std::to_string(head[0]) + ")";
            return false;
        }
        if (length > limit) {
            damage =
                "a record of " + std::to_string(length) + " bytes, more than its " + std::to_string(limit);
            return false;
        }
        std::string bytes(static_cast<std::size_t>(length), '\0');
        if (!readExactly(source, &bytes[0], bytes.size())) {
            damage = "it ended inside a record";
            return false;
        }
        if (tag == 'F') {
            answer.lastFile = bytes;
        } else if (tag == 'X') {
            answer.kind = ImportAnswer::Kind::Refused;
            answer.error = bytes;
            return true;
        } else if (tag == 'L') {
            answer.kind = ImportAnswer::Kind::Listed;
            return true;
        } else if (tag == 'S') {
            if (!readScanHeader(bytes, answer.scan, damage)) return false;
            grid = &answer.scan.cubic;
            headerRead = true;
        } else {
            if (!readReadHeader(bytes, answer.read, damage)) return false;
            grid = &answer.read.scan.grid;
            headerRead = true;
        }
    }
}

}  // namespace scan
