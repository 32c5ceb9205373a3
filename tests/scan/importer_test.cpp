// The import library, unit by unit, and the importer end to end.
#include "scan/importer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "scan/cubic_resample.h"
#include "scan/fit_resample.h"
#include "scan/gzip_file.h"
#include "scan/import_options.h"
#include "scan/inv3_project.h"
#include "scan/phantom.h"
#include "scan/raw_file.h"
#include "scan/raw_samples.h"
#include "scan/tar_archive.h"
#include "tests/common/temp_dir.h"
#include "tools/volimport/options.h"
#include "volume/dataset_file.h"

namespace {

using namespace scan;
using ScratchDir = testing_support::TempDir;
using testing_support::readBytes;
using testing_support::writeBytes;

// Small file builders: gzip, tar members, the description of a project archive.
void writeGzip(const std::string& path, const std::string& bytes) {
    gzFile f = gzopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(gzwrite(f, bytes.data(), static_cast<unsigned>(bytes.size())), static_cast<int>(bytes.size()));
    gzclose(f);
}

// Rewrites the checksum of the header block at the start of `tar`.
void fixChecksum(std::string& tar) {
    std::memset(&tar[148], ' ', 8);
    unsigned sum = 0;
    for (int i = 0; i < 512; ++i) sum += static_cast<unsigned char>(tar[i]);
    std::snprintf(&tar[148], 8, "%06o", sum);
}

// One ustar member: header block plus content padded to 512 bytes.
std::string tarMember(const std::string& name, const std::string& content, char type = '0') {
    std::string header(512, '\0');
    std::memcpy(&header[0], name.data(), std::min<std::size_t>(name.size(), 100));
    std::snprintf(&header[100], 8, "%07o", 0644);
    std::snprintf(&header[124], 12, "%011o", static_cast<unsigned>(content.size()));
    header[156] = type;
    std::memcpy(&header[257],
                "ustar\0"
                "00",
                8);
    fixChecksum(header);
    std::string padded = content;
    padded.resize((content.size() + 511) / 512 * 512, '\0');
    return header + padded;
}

std::string tarEnd() { return std::string(1024, '\0'); }

// Little-endian int16 samples as bytes.
std::string int16Bytes(const std::vector<int>& values) {
    std::string out;
    for (int v : values) {
        out += static_cast<char>(v & 0xff);
        out += static_cast<char>((v >> 8) & 0xff);
    }
    return out;
}

// The description of a project archive; `matrix` and `spacing` are the
// inner XML of the "matrix" dict and of the "spacing" array.
std::string projectPlist(const std::string& matrix, const std::string& spacing) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
           "<key>matrix</key><dict>" +
           matrix +
           "</dict>\n"
           "<key>spacing</key><array>" +
           spacing + "</array>\n</dict>\n</plist>\n";
}

// A 3 x 2 x 2 int16 CT (shape 2, 2, 3 in z, y, x) with spacing 1, 1, 2.
std::string tinyMatrixDict() {
    return "<key>dtype</key><string>int16</string>"
           "<key>filename</key><string>matrix.dat</string>"
           "<key>shape</key><array><integer>2</integer><integer>2</integer>"
           "<integer>3</integer></array>";
}
std::string tinySpacing() { return "<real>1.0</real><real>1</real><real>2.0</real>"; }
std::vector<int> tinySamples() {
    return {-2000, -1000, 0,    100,  200,  300,    // z = 0
            1000,  1100,  1200, 1300, 3000, 3100};  // z = 1
}

// Writes a gzip-compressed project archive with the given description and
// sample file in a folder "proj".
void writeProject(const std::string& path, const std::string& plist, const std::string& matrix) {
    writeGzip(path, tarMember("proj/", "", '5') + tarMember("proj/main.plist", plist) +
                        tarMember("proj/matrix.dat", matrix) + tarEnd());
}

// gzip file

std::string pattern(std::size_t size) {
    std::string s(size, '\0');
    uint32_t state = 12345;
    for (char& c : s) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    return s;
}

// Reading across chunks: the real CT's archive (RealCtExample) is megabytes.
TEST(GzipFile, RefusesBadFiles) {
    ScratchDir dir;
    writeGzip(dir.file("good.gz"), pattern(100000));
    const std::string good = readBytes(dir.file("good.gz"));
    std::string damaged = good;
    for (std::size_t i = 100; i < 400; ++i) damaged[i] = static_cast<char>(damaged[i] ^ 0x5a);
    std::string badTrailer = good;
    badTrailer[badTrailer.size() - 6] ^= 1;  // CRC

    const struct {
        const char* name;
        std::string bytes;  // written as the file; null name below means "missing"
        const char* expected;
    } cases[] = {
        {"plain", "just some text, not compressed", "not a gzip"},
        {"empty", "", "not a gzip"},
        {"truncated", good.substr(0, good.size() / 2), "truncated"},
        {"header only", good.substr(0, 12), "truncated"},
        {"damaged", damaged, "damaged"},
        {"bad crc", badTrailer, "damaged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(dir.file("f"), c.bytes);
        std::vector<unsigned char> out;
        std::string error;
        EXPECT_FALSE(readGzipFile(dir.file("f"), out, error));
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
        EXPECT_TRUE(out.empty());
    }
    std::vector<unsigned char> out;
    std::string error;
    EXPECT_FALSE(readGzipFile(dir.file("missing"), out, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
    EXPECT_FALSE(readGzipFile(dir.file("good.gz"), out, error, 50000));
    EXPECT_NE(error.find("more than 50000"), std::string::npos) << error;
}

// tar archive

bool list(const std::string& tar, std::vector<TarMember>& members, std::string& error) {
    return listTarMembers(reinterpret_cast<const unsigned char*>(tar.data()), tar.size(), members, error);
}

// Member offsets and sizes: every import of a project archive.
TEST(TarArchive, ListsRegularFilesUpToTheEnd) {
    const std::string tar = tarMember("dir/", "", '5') + tarMember("dir/a.txt", "hello") +
                            tarMember("dir/big.bin", std::string(1000, 'x')) +
                            tarMember("other/a.txt", "second") + tarEnd() +
                            tarMember("after/end", "not listed");
    std::vector<TarMember> members;
    std::string error;
    ASSERT_TRUE(list(tar, members, error)) << error;
    ASSERT_EQ(members.size(), 3u);
    EXPECT_EQ(members[0].name, "dir/a.txt");

    bool ambiguous = false;
    const TarMember* big = findMemberByBaseName(members, "big.bin", &ambiguous);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->name, "dir/big.bin");
    EXPECT_EQ(findMemberByBaseName(members, "a.txt", &ambiguous), nullptr);
    EXPECT_TRUE(ambiguous);
    EXPECT_EQ(findMemberByBaseName(members, "none", &ambiguous), nullptr);
    EXPECT_FALSE(ambiguous);
}

// Cuts at every length are the project fuzz target's: members stay inside the data.
TEST(TarArchive, RefusesDamage) {
    const std::string good = tarMember("a/matrix.dat", std::string(2000, 'm')) + tarEnd();
    std::string badSum = good;
    badSum[0] = 'b';
    std::string badSize = good;
    badSize[124] = '9';
    fixChecksum(badSize);
    const struct {
        const char* name;
        std::string tar;
        const char* expected;
    } cases[] = {
        {"member cut short", good.substr(0, 1500), "truncated archive: member \"a/matrix.dat\""},
        {"header cut short", good.substr(0, 300), "truncated archive"},
        {"bad checksum", badSum, "bad checksum"},
        {"text file", std::string(600, 'x'), "bad checksum"},
        {"bad size", badSize, "bad size field"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TarMember> members;
        std::string error;
        EXPECT_FALSE(list(c.tar, members, error));
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    }
}

// inv3 project

TEST(Inv3Project, NamesWhatIsWrongWithABadArchive) {
    const std::string matrix = int16Bytes(tinySamples());
    const std::string dict = tinyMatrixDict();
    auto without = [&](const std::string& key) {
        const std::size_t at = dict.find("<key>" + key + "</key>");
        const std::size_t end = dict.find("<key>", at + 5);
        return dict.substr(0, at) + (end == std::string::npos ? "" : dict.substr(end));
    };
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string d = dict;
        return d.replace(d.find(from), from.size(), to);
    };
    const struct {
        const char* name;
        std::string plist;
        std::string matrix;
        const char* expected;
    } cases[] = {
        {"no dtype", projectPlist(without("dtype"), tinySpacing()), matrix,
         "main.plist: \"matrix\" has no \"dtype\""},
        {"no shape", projectPlist(without("shape"), tinySpacing()), matrix, "no \"shape\""},
        {"no spacing", "<plist><dict><key>matrix</key><dict>" + dict + "</dict></dict></plist>", matrix,
         "main.plist: the top level has no \"spacing\""},
        {"empty spacing", projectPlist(dict, ""), matrix, "\"spacing\" has 0 entries"},
        {"float32", projectPlist(replaced("int16", "float32"), tinySpacing()), matrix,
         "unsupported sample type \"float32\""},
        {"shape of two", projectPlist(replaced("<integer>3</integer>", ""), tinySpacing()), matrix,
         "\"shape\" has 2 entries"},
        {"negative shape",
         projectPlist(replaced("<integer>3</integer>", "<integer>-3</integer>"), tinySpacing()), matrix,
         "\"shape\" entry 2 is out of range"},
        {"zero spacing", projectPlist(dict, "<real>1</real><real>0</real><real>1</real>"), matrix,
         "\"spacing\" entry 1 is not positive"},
        {"short matrix", projectPlist(dict, tinySpacing()), matrix.substr(0, 20),
         "matrix.dat: holds 20 bytes, the shape 2 x 2 x 3 of int16 needs 24 (file too short)"},
        {"long matrix", projectPlist(dict, tinySpacing()), matrix + "xx", "holds 26 bytes"},
        {"other matrix name", projectPlist(replaced("matrix.dat", "m2.dat"), tinySpacing()), matrix,
         "the archive holds no m2.dat"},
        {"malformed plist", "<plist><dict><key>matrix</key>", matrix, "main.plist: line 1: unexpected end"},
        {"not a dict", "<plist><array/></plist>", matrix, "the top level is not a dict"},
    };
    ScratchDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeProject(dir.file("p.inv3"), c.plist, c.matrix);
        Scan scan;
        std::string error;
        EXPECT_FALSE(readInv3Project(dir.file("p.inv3"), 1024, scan, error));
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    }
}

// raw samples

TEST(RawSamples, DecodesEachTypeAndByteOrderAndClamps) {
    constexpr auto U8 = SampleType::UInt8, U16 = SampleType::UInt16, I16 = SampleType::Int16;
    constexpr auto LE = ByteOrder::Little, BE = ByteOrder::Big;
    const struct {
        const char* name;
        SampleType type;
        ByteOrder order;
        const char* bytes;  // in hex
        int offset;
        std::vector<uint16_t> expected;
        std::size_t below, above;
    } cases[] = {
        {"uint8", U8, LE, "00 01 c8 ff", 0, {0, 1, 200, 255}, 0, 0},
        {"uint8 offset", U8, BE, "00 05 0a ff", -5, {0, 0, 5, 250}, 1, 0},
        // 4096 and above clamp to 4095; 4095 itself is no clamp.
        {"uint16 little", U16, LE, "00 10 ff ff ff 0f 07 00", 0, {4095, 4095, 4095, 7}, 0, 2},
        {"uint16 big", U16, BE, "02 01 0f ff 00 00 00 07", 0, {0x201, 4095, 0, 7}, 0, 0},
        // -1024 (air), 0 (water), 3071, -2000 (outside the scan circle)
        {"int16 little", I16, LE, "00 fc 00 00 ff 0b 30 f8", 1024, {0, 1024, 4095, 0}, 1, 0},
        {"int16 big", I16, BE, "fc 00 00 00 0c 00 80 00", 1024, {0, 1024, 4095, 0}, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<unsigned char> bytes;
        std::istringstream hex(c.bytes);
        for (unsigned byte; hex >> std::hex >> byte;) bytes.push_back(static_cast<unsigned char>(byte));
        RawLayout layout;
        layout.dims[0] = layout.dims[1] = 2;
        layout.dims[2] = 1;
        layout.type = c.type;
        layout.order = c.order;
        std::size_t size = 0;
        ASSERT_TRUE(rawByteCount(layout, size));
        ASSERT_EQ(size, bytes.size());
        SampleGrid grid;
        ClampStats stats;
        decodeSamples(bytes.data(), layout, c.offset, grid, stats);
        EXPECT_EQ(grid.samples, c.expected);
        EXPECT_EQ(stats.below, c.below);
        EXPECT_EQ(stats.above, c.above);
    }
}

// raw file
TEST(RawFile, NeedsEveryByteTheLayoutDescribes) {
    ScratchDir dir;
    writeBytes(dir.file("v.raw"), std::string(16, '\1'));
    const struct {
        const char* name;
        std::string file;
        uint64_t skip;
        SampleType type;
        uint64_t trailing;
        const char* expected;  // null: accepted
    } cases[] = {
        {"exact fit", "v.raw", 0, SampleType::UInt16, 0, nullptr},
        {"header and trailer", "v.raw", 3, SampleType::UInt8, 5, nullptr},
        {"one byte short", "v.raw", 1, SampleType::UInt16, 0,
         "too short: 2 x 2 x 2 uint16 after 1 header bytes needs 17 bytes, the file has 16"},
        {"skip past the end", "v.raw", 100, SampleType::UInt8, 0, "too short"},
        {"missing", "none.raw", 0, SampleType::UInt8, 0, "cannot open"},
        {"a folder", ".", 0, SampleType::UInt8, 0, "cannot"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RawLayout layout;
        layout.dims[0] = layout.dims[1] = layout.dims[2] = 2;
        layout.type = c.type;
        Scan scan;
        uint64_t trailing = 0;
        std::string error;
        const bool ok = readRawFile(dir.file(c.file), c.skip, layout, 0, scan, trailing, error);
        EXPECT_EQ(ok, c.expected == nullptr) << error;
        if (ok) {
            EXPECT_EQ(trailing, c.trailing);
            EXPECT_EQ(scan.grid.samples.size(), 8u);
        } else {
            EXPECT_NE(error.find(c.expected), std::string::npos) << error;
        }
    }
}

// options

bool parse(const std::string& line, Options& out, std::string& error) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    std::vector<const char*> argv;
    for (const auto& w : words) argv.push_back(w.c_str());
    return volimport::parseOptions(static_cast<int>(argv.size()), argv.data(), out, error);
}

// --inv3 and -o are what every import script and the dataset set-up run.
TEST(Options, ReadsRawLayoutsAndTheOffsetDefault) {
    Options o;
    std::string error;
    ASSERT_TRUE(
        parse("--raw v.raw --dims 4x5x6 --type=uint16 --endian big --spacing 0.5,0.5,2 "
              "--skip 128 --output=o.dat --flip-z --force",
              o, error))
        << error;
    EXPECT_EQ(o.layout.dims[1], 5);
    EXPECT_EQ(o.layout.order, ByteOrder::Big);
    EXPECT_EQ(o.spacing[2], 2.0);
    EXPECT_EQ(o.skipBytes, 128u);
    EXPECT_TRUE(o.force && o.flipZ);
    EXPECT_EQ(o.effectiveOffset(), 0);

    ASSERT_TRUE(parse("--raw v.raw --dims 4,5,6 --type int16 --spacing 0.7 -o o.dat", o, error));
    EXPECT_EQ(o.effectiveOffset(), 1024);
    EXPECT_EQ(o.spacing[2], 0.7);
    ASSERT_TRUE(parse("--raw v.raw --dims 4,5,6 --type int16 --offset -1000 -o o.dat", o, error));
    EXPECT_EQ(o.effectiveOffset(), -1000);
    EXPECT_EQ(o.fit, 128);
    ASSERT_TRUE(parse("--inv3 a -o b --fit=256", o, error)) << error;
    EXPECT_EQ(o.fit, 256);
    ASSERT_TRUE(parse("--help", o, error));
    EXPECT_TRUE(o.help);
}

TEST(Options, RefusesBadCommandLines) {
    const struct {
        const char* line;
        const char* expected;
    } cases[] = {
        {"", "no input"},
        {"--inv3 a", "no output"},
        {"--inv3 a -o b -o c", "-o given twice"},
        {"--inv3 a -o b --dims 1,2,3", "--dims applies to --raw input only"},
        {"--inv3 a -o b extra", "unexpected argument \"extra\""},
        {"--inv3 a -o b --bogus", "unknown option --bogus"},
        {"--inv3 a -o b --force=yes", "--force takes no value"},
        {"--raw a -o b --type int16", "--raw needs --dims and --type"},
        {"--raw a -o b --dims 1,2 --type int16", "--dims needs three positive integers"},
        {"--raw a -o b --dims 1,2,3 --type float", "--type must be"},
        {"--raw a -o b --dims 1,2,3 --type uint8 --endian middle", "--endian must be"},
        {"--raw a -o b --dims 1,2,3 --type uint8 --spacing 1,0,1", "--spacing needs"},
        {"--raw a -o b --dims 1,2,3 --type uint8 --skip -4", "--skip needs"},
        {"--inv3 a -o b --offset 9999999999", "--offset needs"},
        {"--inv3 a -o b --range 0,100", "--range does not apply to --inv3"},
        {"--nifti a -o b --volume 0", "--volume needs a volume number from 1"},
        {"--dicom a -o b --volume 2", "--volume applies to --nifti input only"},
        {"--inv3 a -o b --fit 1", "--fit needs an edge from 2 to 1024"},
        {"--inv3 a -o b --fit 256 --full", "give --fit or --full, not both"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        Options o;
        std::string error;
        EXPECT_FALSE(parse(c.line, o, error));
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    }
}

// cubic resample

SampleGrid grid(int x, int y, int z, std::vector<uint16_t> samples) {
    SampleGrid g;
    g.dims[0] = x;
    g.dims[1] = y;
    g.dims[2] = z;
    g.samples = std::move(samples);
    return g;
}

SampleGrid resample(const SampleGrid& in, const double spacing[3]) {
    CubicShape shape;
    std::string error;
    EXPECT_TRUE(cubicShape(in.dims, spacing, 65535, shape, error)) << error;
    SampleGrid out;
    resampleFitted(in, spacing, shape, out);
    return out;
}

TEST(CubicResample, ShapesEachAxisByRoundedPhysicalLength) {
    const struct {
        int dims[3];
        double spacing[3];
        int expected[3];  // zeros: refused
        double edge;
    } cases[] = {
        {{10, 20, 3}, {1, 0.5, 2.5}, {20, 20, 15}, 0.5},
        {{3, 3, 3}, {1, 1, 1.5}, {3, 3, 5}, 1},  // 4.5 rounds up
        {{3, 3, 1}, {1, 1, 0.1}, {30, 30, 1}, 0.1},
        {{4, 4, 4}, {1, 0, 1}, {0, 0, 0}, 0},
        {{4, 4, 0}, {1, 1, 1}, {0, 0, 0}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.dims[0]) + "x" + std::to_string(c.dims[1]) + "x" +
                     std::to_string(c.dims[2]));
        CubicShape shape;
        std::string error;
        const bool ok = cubicShape(c.dims, c.spacing, 65535, shape, error);
        ASSERT_EQ(ok, c.expected[0] != 0) << error;
        if (!ok) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        for (int a = 0; a < 3; ++a) EXPECT_EQ(shape.dims[a], c.expected[a]) << a;
        EXPECT_DOUBLE_EQ(shape.edge, c.edge);
    }
}

// The full-resolution resampler; the default import runs the fitted one.
TEST(CubicResample, InterpolatesLinearlyBetweenCellCentres) {
    // x spacing 1.5 over 3 samples gives round(4.5) = 5 samples at input
    // positions -1/6, 1/2, 7/6, 11/6 and 5/2; each y row on its own.
    const SampleGrid row = grid(3, 2, 1, {0, 100, 400, 1000, 1000, 1000});
    const double spacing2[3] = {1.5, 1, 1};
    EXPECT_EQ(resample(row, spacing2).samples,
              (std::vector<uint16_t>{0, 50, 150, 350, 400, 1000, 1000, 1000, 1000, 1000}));

    // Trilinear weights multiply: only corner (1, 1, 1) is set; x and y are
    // spread to 4 samples at positions -1/4, 1/4, 3/4, 5/4, z stays.
    const SampleGrid cube = grid(2, 2, 2, {0, 0, 0, 0, 0, 0, 0, 800});
    const double spacing3[3] = {2, 2, 1};
    const SampleGrid out = resample(cube, spacing3);
    ASSERT_EQ(out.dims[0], 4);
    EXPECT_EQ(out.at(1, 1, 1), 50);   // 800 / 4 / 4
    EXPECT_EQ(out.at(2, 2, 1), 450);  // 800 * 3/4 * 3/4
    EXPECT_EQ(out.at(3, 3, 1), 800);
    EXPECT_EQ(out.at(3, 3, 0), 0);
}

// phantom

bool isBone(uint16_t v) { return v >= kPhantomBoneInner && v <= kPhantomBoneOuter; }

TEST(Phantom, IsAHeadWithAFrontalHoleAndItsTopAtHighZ) {
    SampleGrid g;
    makeHeadPhantom(64, 64, 64, g);
    ASSERT_EQ(g.samples.size(), 64u * 64u * 64u);
    std::size_t counts[4] = {};  // air, soft tissue, bone, other
    for (uint16_t v : g.samples) {
        ++counts[v == kPhantomAir ? 0 : v == kPhantomSoftTissue ? 1 : isBone(v) ? 2 : 3];
    }
    EXPECT_GT(counts[0], 0u);
    EXPECT_GT(counts[1], counts[2]);
    EXPECT_GT(counts[2], 0u);
    EXPECT_EQ(counts[3], 0u);
    EXPECT_EQ(g.at(0, 0, 0), kPhantomAir);
    EXPECT_EQ(g.at(32, 32, 32), kPhantomSoftTissue);

    // Walking down the middle column from the top: air, then bone, then soft
    // tissue; the neck reaches the first slice.
    int top = 63;
    while (g.at(32, 32, top) == kPhantomAir) --top;
    EXPECT_GT(top, 48);
    EXPECT_TRUE(isBone(g.at(32, 32, top)));
    EXPECT_EQ(g.at(32, 32, 0), kPhantomSoftTissue);
    EXPECT_EQ(g.at(2, 2, 0), kPhantomAir);

    // Along the y axis at the hole's height the back (low y) hits bone, the
    // front (high y) goes straight from air into soft tissue.
    const int z = 45;
    int back = 0, front = 63;
    while (g.at(32, back, z) == kPhantomAir) ++back;
    while (g.at(32, front, z) == kPhantomAir) --front;
    EXPECT_TRUE(isBone(g.at(32, back, z)));
    EXPECT_EQ(g.at(32, front, z), kPhantomSoftTissue);

    SampleGrid again;
    makeHeadPhantom(64, 64, 64, again);
    EXPECT_EQ(again.samples, g.samples);
    makeHeadPhantom(1, 3, 2, again);
    EXPECT_EQ(again.samples.size(), 6u);
}

// importer

const char kCranium[] = "/usr/share/doc/invesalius-examples/examples/Cranium.inv3";

// Runs the import a command line asks for ("%" stands for `dir`), keeping
// what it printed.
struct ImportRun {
    ImportRun(const ScratchDir& dir, const std::string& line) {
        std::string words = line, error;
        for (std::size_t at = 0; (at = words.find('%', at)) != std::string::npos; at += dir.path().size()) {
            words.replace(at, 1, dir.path());
        }
        EXPECT_TRUE(parse(words, options, error)) << error;
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        status = runImport(options, out, err, &result);
        stdoutText = drain(out);
        stderrText = drain(err);
    }
    static std::string drain(std::FILE* f) {
        std::string text;
        std::rewind(f);
        for (int c; (c = std::fgetc(f)) != EOF;) text += static_cast<char>(c);
        std::fclose(f);
        return text;
    }
    Options options;
    int status = -1;
    ImportResult result;
    std::string stdoutText, stderrText;
};

std::vector<uint16_t> readDataset(const std::string& path, int dims[3]) {
    volume::DatasetFile file;
    EXPECT_TRUE(file.open(path.c_str())) << file.error();
    dims[0] = file.dimX();
    dims[1] = file.dimY();
    dims[2] = file.dimZ();
    std::vector<uint16_t> samples(file.sampleCount());
    EXPECT_TRUE(file.readSamples(samples.data())) << file.error();
    return samples;
}

TEST(Importer, ProjectArchiveBecomesACubicDatasetFile) {
    ScratchDir dir;
    writeProject(dir.file("p.inv3"), projectPlist(tinyMatrixDict(), tinySpacing()),
                 int16Bytes(tinySamples()));
    for (bool flip : {false, true}) {
        SCOPED_TRACE(flip);
        const ImportRun run(
            dir, std::string("--inv3 %/p.inv3 --full -o %/") + (flip ? "f.dat --flip-z" : "o.dat"));
        ASSERT_EQ(run.status, 0) << run.stderrText;
        EXPECT_EQ(run.stderrText, "");
        for (const char* said :
             {"3 x 2 x 2 int16 samples, spacing 1 x 1 x 2 mm", "3 x 2 x 4 cubic voxels of 1 mm",
              "values 0..4095", "(proj/matrix.dat)", "(1 below, 1 above)"}) {
            EXPECT_NE(run.stdoutText.find(said), std::string::npos) << said << " in\n" << run.stdoutText;
        }
        int dims[3];
        const std::vector<uint16_t> s = readDataset(run.options.outputPath, dims);
        ASSERT_EQ(dims[2], 4);
        // x = 1, y = 0 holds -1000 and 1100 HU: slices 24, 24+(2124-24)/4, ...
        const std::vector<uint16_t> column = {24, 549, 1599, 2124};
        for (int z = 0; z < 4; ++z) EXPECT_EQ(s[1 + 6 * z], column[flip ? 3 - z : z]) << z;
        EXPECT_EQ(s[flip ? 18 + 3 : 3], 100 + 1024);  // x = 0, y = 1 of the first input slice
    }
    // --fit 2: the longest axis (4 slices) becomes 2.
    const ImportRun fitted(dir, "--inv3 %/p.inv3 -o %/g.dat --fit 2");
    ASSERT_EQ(fitted.status, 0) << fitted.stderrText;
    int dims[3];
    readDataset(fitted.options.outputPath, dims);
    EXPECT_EQ(dims[2], 2);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"f.dat", "g.dat", "o.dat", "p.inv3"}));
}

// Without --full a scan shorter than the grid edge is enlarged until its
// longest axis has that length.
TEST(FitResample, EnlargesASmallScanToTheEdge) {
    const int dims[3] = {2, 1, 3};
    const double spacing[3] = {1, 2, 1};
    CubicShape shape;
    std::string error;
    ASSERT_TRUE(fittedShape(dims, spacing, 6, 65535, shape, error)) << error;
    EXPECT_EQ(std::vector<int>(shape.dims, shape.dims + 3), (std::vector<int>{4, 4, 6}));
    EXPECT_DOUBLE_EQ(shape.edge, 0.5);
}

TEST(Importer, FailuresNameTheFileAndWriteNothing) {
    ScratchDir dir;
    writeBytes(dir.file("taken.dat"), "mine");
    writeProject(dir.file("short.inv3"), projectPlist(tinyMatrixDict(), tinySpacing()), "abc");
    writeProject(dir.file("good.inv3"), projectPlist(tinyMatrixDict(), tinySpacing()),
                 int16Bytes(tinySamples()));
    writeBytes(dir.file("thin.raw"), "ab");
    writeBytes(dir.file("wide.raw"), "ab");
    const std::vector<std::string> before = dir.entries();
    // 1 x 1 x 2 samples: thin.raw 0.01 apart along z and 1000 apart across
    // (100000 samples along x and y), wide.raw 1 apart along z and 40000
    // across (each axis fits, the total does not). By default both would be
    // reduced to fit the viewer.
    const std::string raw = " --dims 1,1,2 --type uint8 --full --spacing ";
    const struct {
        std::string line;
        const char* expected;  // after "volimport: <dir>/"
    } cases[] = {
        {"--inv3 %/short.inv3 -o %/o.dat", "short.inv3: matrix.dat: holds 3 bytes"},
        {"--inv3 %/good.inv3 -o %/taken.dat", "taken.dat: already exists; use --force"},
        {"--inv3 %/good.inv3 -o %/good.inv3 --force", "good.inv3: is the input file"},
        {"--inv3 %/good.inv3 -o %/no/such/dir.dat", "no/such/dir.dat: cannot create"},
        {"--raw %/thin.raw -o %/o.dat" + raw + "1000,1000,0.01",
         "thin.raw: the output would need 100000 samples along x"},
        {"--raw %/wide.raw -o %/o.dat" + raw + "40000,40000,1",
         "wide.raw: the output would be 40000 x 40000 x 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const ImportRun run(dir, c.line);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.stdoutText, "");
        // One line that starts with the file at fault and the problem.
        EXPECT_EQ(run.stderrText.rfind("volimport: " + dir.path() + "/" + c.expected, 0), 0u)
            << run.stderrText;
        EXPECT_EQ(run.stderrText.find('\n'), run.stderrText.size() - 1);
        EXPECT_EQ(dir.entries(), before);
    }
    EXPECT_EQ(readBytes(dir.file("taken.dat")), "mine");
    EXPECT_EQ(ImportRun(dir, "--inv3 %/good.inv3 -o %/taken.dat --force").status, 0);
}

// Raw uint8 data is not CT: without --offset it spans 0..4095 from its own
// percentiles, and --range LOW,HIGH maps that span instead.
TEST(Importer, RawUint8IsMappedOntoTheWholeRange) {
    ScratchDir dir;
    std::string bytes;
    for (int i = 0; i < 200; ++i) bytes.push_back(static_cast<char>(i));
    writeBytes(dir.file("mr.raw"), bytes);
    const struct {
        const char* output;
        const char* said;
        int highest;
    } cases[] = {{"own.dat", "percentile", 4095}, {"given.dat --range 0,398", "range 0..398 (given)", 2048}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        const ImportRun run(dir, std::string("--raw %/mr.raw --dims 10,10,2 --type uint8 -o %/") + c.output);
        ASSERT_EQ(run.status, 0) << run.stderrText;
        EXPECT_NE(run.stdoutText.find(c.said), std::string::npos) << run.stdoutText;
        int dims[3];
        const std::vector<uint16_t> s = readDataset(run.options.outputPath, dims);
        EXPECT_EQ(*std::min_element(s.begin(), s.end()), 0);
        EXPECT_NEAR(*std::max_element(s.begin(), s.end()), c.highest, 1);
    }
}

// The CT example of the Debian package invesalius-examples: 256 x 256 x 108
// int16 samples of 0.957 x 0.957 x 1.5 mm, the top of the head in the last
// slice. 108 * 1.5 / 0.957 = 169.3 rounds to 169 slices.
TEST(Importer, RealCtExample) {
    struct stat info;
    if (::stat(kCranium, &info) != 0) GTEST_SKIP() << kCranium << " is not installed";
    ScratchDir dir;
    const ImportRun run(dir, std::string("--inv3 ") + kCranium + " -o %/head.dat --full");
    ASSERT_EQ(run.status, 0) << run.stderrText;
    // By default the longest axis is averaged down to the viewer's 128.
    const ImportRun fitted(dir, std::string("--inv3 ") + kCranium + " -o %/fitted.dat");
    EXPECT_EQ(std::vector<int>(fitted.result.dims, fitted.result.dims + 3), (std::vector<int>{128, 128, 85}));
    int dims[3];
    const std::vector<uint16_t> s = readDataset(dir.file("head.dat"), dims);
    ASSERT_EQ(dims[0], 256);
    ASSERT_EQ(dims[1], 256);
    ASSERT_EQ(dims[2], 169);
    EXPECT_EQ(run.result.minValue, 0);
    EXPECT_LE(run.result.maxValue, 4095);
    EXPECT_GT(run.result.maxValue, 1024 + 1500);  // dense bone

    // The head narrows towards the vertex: the top tenth of the slices holds
    // far less tissue (> -300 HU) than the bottom tenth, some bone but less
    // than the skull base, and the last slice lies above the skin while the
    // first cuts through the head. A flipped volume fails each of these.
    const std::size_t slice = 256 * 256;
    auto count = [&](int z0, int z1, uint16_t above) {
        std::size_t n = 0;
        for (std::size_t i = z0 * slice; i < z1 * slice; ++i) n += s[i] > above;
        return n;
    };
    const int tenth = 169 / 10;
    const std::size_t tissueTop = count(169 - tenth, 169, 1024 - 300);
    const std::size_t tissueBottom = count(0, tenth, 1024 - 300);
    const std::size_t boneTop = count(169 - tenth, 169, 1024 + 300);
    EXPECT_LT(tissueTop * 3, tissueBottom);
    EXPECT_GT(boneTop, 0u);
    EXPECT_LT(boneTop, count(0, tenth, 1024 + 300));
    EXPECT_LT(count(168, 169, 1024 - 300), 100u);
    EXPECT_GT(count(0, 1, 1024 - 300), 10000u);
}

}  // namespace
