// A reader's answer: what the child sends arrives whole, and bytes that
// break the format or a limit are refused before anything is allocated.
#include "scan/import_answer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>

#include "scan/import_request.h"

namespace {

using namespace scan;

// What the send functions write, caught in a temporary file.
class Sent {
public:
    Sent() : file_(std::tmpfile()), link_{fileno(file_)} {}
    ~Sent() { std::fclose(file_); }
    const platform::ParentLink& link() const { return link_; }
    std::string bytes() const {
        std::string text;
        std::rewind(file_);
        for (int c; (c = std::fgetc(file_)) != EOF;) text += static_cast<char>(c);
        return text;
    }

private:
    std::FILE* file_;
    platform::ParentLink link_;
};

class Bytes : public AnswerSource {
public:
    explicit Bytes(std::string bytes) : bytes_(std::move(bytes)) {}
    std::size_t read(void* data, std::size_t size) override {
        // A few bytes at a time, as a pipe may deliver them.
        const std::size_t n = std::min<std::size_t>({size, bytes_.size() - at_, 5});
        std::memcpy(data, bytes_.data() + at_, n);
        at_ += n;
        return n;
    }

private:
    std::string bytes_;
    std::size_t at_ = 0;
};

std::string record(char tag, const std::string& payload, uint64_t length) {
    std::string bytes(1, tag);
    for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<char>((length >> (8 * i)) & 0xff));
    return bytes + payload;
}
std::string record(char tag, const std::string& payload) { return record(tag, payload, payload.size()); }

std::string u32(uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }
std::string u64(uint64_t v) { return std::string(reinterpret_cast<const char*>(&v), 8); }
std::string f64(double v) { return std::string(reinterpret_cast<const char*>(&v), 8); }

// A fitted scan's header: empty modality and report, then the dimensions.
std::string fittedHeader(uint32_t x, uint32_t y, uint32_t z) {
    return record('S', u32(0) + u32(0) + u32(x) + u32(y) + u32(z));
}

std::string readHeader(double spacing, uint32_t type, uint64_t clamped, uint32_t placed = 1, double at = 0) {
    return record('R', u32(0) + u32(0) + u32(0) + u32(0) + u32(type) + u64(clamped) + u64(0) + f64(1) +
                           f64(spacing) + f64(1) + u32(placed) + f64(at) + std::string(88, '\0') + u32(2) +
                           u32(1) + u32(1));
}

TEST(ImportAnswer, WhatIsSentArrivesWhole) {
    ImportedScan scan;
    scan.modality = "CT";
    scan.report = "input: ...\n";
    scan.cubic.dims[0] = 3;
    scan.cubic.dims[1] = 2;
    scan.cubic.dims[2] = 1;
    scan.cubic.samples = {0, 1, 2, 4093, 4094, 4095};
    ReadScan read;
    read.modality = "MR";
    read.valuesText = "percentiles";
    read.scan.source = "NIfTI-1, INT16";
    read.scan.type = SampleType::Int16;
    read.scan.clamped = {1, 2};
    read.scan.spacing[2] = 2.5;
    read.scan.placement = {true, {-120, 30.5, 7}, {{0, 0, 1}, {0, -1, 0}, {1, 0, 0}}};
    read.scan.grid.dims[0] = read.scan.grid.dims[1] = read.scan.grid.dims[2] = 2;
    read.scan.grid.samples.assign(8, 7);
    Sent sent;
    ASSERT_TRUE(sendReading(sent.link(), "/scans/a") && sendReading(sent.link(), "/scans/b") &&
                sendScan(sent.link(), scan) && sendReadScan(sent.link(), read) &&
                sendRefusal(sent.link(), "no"));
    Bytes bytes(sent.bytes());
    ImportAnswer fitted, unfitted, refused, none;
    std::string damage;
    ASSERT_TRUE(readAnswer(bytes, fitted, damage)) << damage;
    EXPECT_EQ(fitted.kind, ImportAnswer::Kind::Imported);
    EXPECT_EQ(fitted.lastFile, "/scans/b");
    EXPECT_EQ(fitted.scan.modality + fitted.scan.report, "CTinput: ...\n");
    EXPECT_EQ(fitted.scan.cubic.samples, scan.cubic.samples);
    EXPECT_EQ(fitted.scan.cubic.dims[0] * 10 + fitted.scan.cubic.dims[1], 32);
    ASSERT_TRUE(readAnswer(bytes, unfitted, damage)) << damage;
    EXPECT_EQ(unfitted.kind, ImportAnswer::Kind::Read);
    EXPECT_EQ(unfitted.read.modality + unfitted.read.valuesText + unfitted.read.scan.source,
              "MRpercentilesNIfTI-1, INT16");
    EXPECT_EQ(unfitted.read.scan.type, SampleType::Int16);
    EXPECT_EQ(unfitted.read.scan.clamped.above, 2u);
    EXPECT_EQ(unfitted.read.scan.spacing[2], 2.5);
    const scan::PatientPlacement& place = unfitted.read.scan.placement;
    EXPECT_TRUE(place.known && place.first[0] == -120 && place.first[1] == 30.5 && place.first[2] == 7);
    EXPECT_TRUE(place.axes[0][2] == 1 && place.axes[1][1] == -1 && place.axes[2][0] == 1 &&
                place.axes[0][0] == 0);
    EXPECT_EQ(unfitted.read.scan.grid.samples, read.scan.grid.samples);
    ASSERT_TRUE(readAnswer(bytes, refused, damage)) << damage;
    EXPECT_EQ(refused.kind, ImportAnswer::Kind::Refused);
    EXPECT_EQ(refused.error, "no");
    ASSERT_TRUE(readAnswer(bytes, none, damage));
    EXPECT_EQ(none.kind, ImportAnswer::Kind::None);
}

TEST(ImportAnswer, RefusesBytesOutOfForm) {
    const std::string sixSamples = record('D', std::string(12, '\0'));
    const struct {
        std::string bytes;
        const char* damage;
    } cases[] = {
        {record('F', "", 1 << 20), "a record of 1048576 bytes"},
        {record('X', "", uint64_t{1} << 62), "a record of 4611686018427387904 bytes"},
        {record('Q', ""), "an unexpected record (tag 81)"},
        {sixSamples, "an unexpected record (tag 68)"},
        {record('F', "abc", 4), "it ended inside a record"},
        {std::string("F\1\0", 3), "it ended inside a record's length"},
        {fittedHeader(0, 1, 1), "a scan dimension of 0"},
        {fittedHeader(70000, 1, 1), "a scan dimension of 70000"},
        {fittedHeader(65535, 65535, 65535), "a scan of 281462092005375 samples"},
        {record('S', u32(100) + u32(0)), "its scan header does not hold its fields"},
        {fittedHeader(3, 2, 1) + fittedHeader(3, 2, 1), "an unexpected record (tag 83)"},
        {fittedHeader(3, 2, 1), "it ended before the samples"},
        {fittedHeader(3, 2, 2) + sixSamples, "12 bytes of samples for 12 samples"},
        {fittedHeader(3, 2, 1) + record('D', std::string(6, '\0'), 12), "it ended inside the samples"},
        {fittedHeader(3, 2, 1) + record('D', std::string(10, '\0') + u32(4096).substr(0, 2)),
         "a sample of 4096"},
        {readHeader(std::numeric_limits<double>::quiet_NaN(), 1, 0), "a spacing of nan"},
        {readHeader(-1, 1, 0), "a spacing of -1"},
        {readHeader(1, 3, 0), "a sample type of 3"},
        {readHeader(1, 1, 3), "more samples clamped than there are"},
        {readHeader(1, 1, 0, 2), "a place in the patient marked 2"},
        {readHeader(1, 1, 0, 1, std::numeric_limits<double>::infinity()), "a place in the patient of inf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.damage);
        Bytes bytes(c.bytes);
        ImportAnswer answer;
        std::string damage;
        EXPECT_FALSE(readAnswer(bytes, answer, damage));
        EXPECT_EQ(damage.rfind(c.damage, 0), 0u) << damage;
    }
}

// The request a helper executable gets on its command line.
TEST(ImportRequest, ComesBackAsItWasSent) {
    ImportRequest request;
    request.options.input = InputKind::Dicom;
    request.options.inputPath = "C:\\scans\\head \"1\"\n";
    request.options.series = "1.2.3";
    request.options.rangeGiven = true;
    request.options.range[1] = 0.1;
    request.options.volume = 3;
    request.options.full = true;
    request.options.keepSamples = true;
    request.fitEdge = 256;
    ImportRequest back;
    ASSERT_TRUE(decodeRequest(encodeRequest(request), back));
    EXPECT_EQ(back.options.input, InputKind::Dicom);
    EXPECT_EQ(back.options.inputPath, request.options.inputPath);
    EXPECT_EQ(back.options.series, "1.2.3");
    EXPECT_TRUE(back.options.rangeGiven && back.options.full && !back.options.flipZ &&
                back.options.keepSamples);
    EXPECT_EQ(back.options.range[1], 0.1);
    EXPECT_EQ(back.options.volume * 1000 + back.fitEdge, 3256);
    for (const char* bad : {"", "4", "zz", "0a"}) EXPECT_FALSE(decodeRequest(bad, back)) << bad;
}

}  // namespace
