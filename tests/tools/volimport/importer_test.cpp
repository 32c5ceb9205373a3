#include "tools/volimport/importer.h"

#include <sys/stat.h>

#include "tests/tools/volimport/test_files.h"
#include "volume/dataset_file.h"

namespace {

using namespace testfiles;

const char kCranium[] = "/usr/share/doc/invesalius-examples/examples/Cranium.inv3";

// Runs an import, keeping what it printed.
struct ImportRun {
    explicit ImportRun(const volimport::Options& options) {
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        status = volimport::runImport(options, out, err, &result);
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
    int status = -1;
    volimport::ImportResult result;
    std::string stdoutText, stderrText;
};

volimport::Options inv3(const std::string& in, const std::string& out) {
    volimport::Options o;
    o.input = volimport::InputKind::Inv3;
    o.inputPath = in;
    o.outputPath = out;
    return o;
}

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
        volimport::Options options = inv3(dir.file("p.inv3"), dir.file(flip ? "f.dat" : "o.dat"));
        options.flipZ = flip;
        const ImportRun run(options);
        ASSERT_EQ(run.status, 0) << run.stderrText;
        EXPECT_EQ(run.stderrText, "");
        EXPECT_NE(run.stdoutText.find("3 x 2 x 2 int16 samples, spacing 1 x 1 x 2 mm"),
                  std::string::npos) << run.stdoutText;
        EXPECT_NE(run.stdoutText.find("3 x 2 x 4 cubic voxels of 1 mm"), std::string::npos);
        EXPECT_NE(run.stdoutText.find("values 0..4095"), std::string::npos);
        int dims[3];
        const std::vector<uint16_t> s = readDataset(options.outputPath, dims);
        ASSERT_EQ(dims[2], 4);
        // x = 1, y = 0 holds -1000 and 1100 HU: slices 24, 24+(2124-24)/4, ...
        const std::vector<uint16_t> column = {24, 549, 1599, 2124};
        for (int z = 0; z < 4; ++z) {
            EXPECT_EQ(s[1 + 6 * z], column[flip ? 3 - z : z]) << z;
        }
    }
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"f.dat", "o.dat", "p.inv3"}));
}

TEST(Importer, FailuresNameTheFileAndWriteNothing) {
    ScratchDir dir;
    writeBytes(dir.file("taken.dat"), "mine");
    writeProject(dir.file("short.inv3"), projectPlist(tinyMatrixDict(), tinySpacing()), "abc");
    writeProject(dir.file("good.inv3"), projectPlist(tinyMatrixDict(), tinySpacing()),
                 int16Bytes(tinySamples()));
    // 1 x 1 x 2 samples: thin.raw 0.01 apart along z and 1000 apart across
    // (100000 samples along x and y), wide.raw 1 apart along z and 40000
    // across (each axis fits, the total does not).
    writeBytes(dir.file("thin.raw"), "ab");
    writeBytes(dir.file("wide.raw"), "ab");
    const std::vector<std::string> before = dir.entries();
    const struct {
        const char* in;
        const char* out;
        bool force;
        const char* expected;  // after "volimport: <dir>/"
    } cases[] = {
        {"short.inv3", "o.dat", false, "short.inv3: matrix.dat: holds 3 bytes"},
        {"good.inv3", "taken.dat", false, "taken.dat: already exists; use --force"},
        {"good.inv3", "good.inv3", true, "good.inv3: is the input file"},
        {"good.inv3", "no/such/dir.dat", false, "no/such/dir.dat: cannot create"},
        {"thin.raw", "o.dat", false, "thin.raw: the output would need 100000 samples along x"},
        {"wide.raw", "o.dat", false, "wide.raw: the output would be 40000 x 40000 x 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        volimport::Options o = inv3(dir.file(c.in), dir.file(c.out));
        o.force = c.force;
        if (std::strstr(c.in, ".raw") != nullptr) {
            o.input = volimport::InputKind::Raw;
            o.layout.dims[0] = o.layout.dims[1] = 1;
            o.layout.dims[2] = 2;
            o.layout.type = volimport::SampleType::UInt8;
            const bool thin = std::strcmp(c.in, "thin.raw") == 0;
            o.spacing[0] = o.spacing[1] = thin ? 1000 : 40000;
            o.spacing[2] = thin ? 0.01 : 1;
            o.full = true;  // by default both would be reduced to fit the viewer
        }
        const ImportRun run(o);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.stdoutText, "");
        // One line that starts with the file at fault and the problem.
        EXPECT_EQ(run.stderrText.rfind("volimport: " + dir.path() + "/" + c.expected, 0), 0u)
            << run.stderrText;
        EXPECT_EQ(run.stderrText.find('\n'), run.stderrText.size() - 1);
        EXPECT_EQ(dir.entries(), before);
    }
    EXPECT_EQ(readBytes(dir.file("taken.dat")), "mine");

    volimport::Options o = inv3(dir.file("good.inv3"), dir.file("taken.dat"));
    o.force = true;
    EXPECT_EQ(ImportRun(o).status, 0);
}

// The CT example of the Debian package invesalius-examples: 256 x 256 x 108
// int16 samples of 0.957 x 0.957 x 1.5 mm, the top of the head in the last
// slice. 108 * 1.5 / 0.957 = 169.3 rounds to 169 slices.
TEST(Importer, RealCtExample) {
    struct stat info;
    if (::stat(kCranium, &info) != 0) GTEST_SKIP() << kCranium << " is not installed";
    ScratchDir dir;
    volimport::Options full = inv3(kCranium, dir.file("head.dat"));
    full.full = true;
    const ImportRun run(full);
    ASSERT_EQ(run.status, 0) << run.stderrText;
    // By default the longest axis is averaged down to the viewer's 128.
    const ImportRun fitted(inv3(kCranium, dir.file("fitted.dat")));
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
