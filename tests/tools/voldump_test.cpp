// voldump end to end: the files it writes, what it refuses to replace and
// how it reports a bad dataset.
#include <gtest/gtest.h>

#include <string>

#include "tests/common/run_command.h"
#include "tests/common/temp_dir.h"
#include "tests/volume/dataset_builder.h"
#include "volume/volume.h"

namespace {

using testing_support::CommandResult;
using testing_support::datasetBytes;
using testing_support::TempDir;

CommandResult runVoldump(const std::string& arguments) {
    return testing_support::runCommand(std::string(VOLDUMP_PATH) + " " + arguments);
}

TEST(Voldump, WritesExactlyTheImagesTheViewerUploads) {
    TempDir dir;
    constexpr int kEdge = 16;
    const std::string dataset =
        dir.write("head.dat", datasetBytes(20, 18, 30, testing_support::positionCode));
    const CommandResult run = runVoldump(dataset + " 16 " + dir.file("out"));
    ASSERT_EQ(run.status, 0) << run.output;

    testing::internal::CaptureStdout();
    volume::Volume volume(dataset.c_str(), kEdge);
    testing::internal::GetCapturedStdout();
    const auto density = volume.createDensityTexture(8, kEdge);
    const auto gradient = volume.createGradientTexture(kEdge);
    const auto transfer = volume.createTransferTable(256);
    const std::size_t texels = kEdge * kEdge * kEdge;
    EXPECT_EQ(testing_support::readBytes(dir.file("out/density.raw")),
              std::string(reinterpret_cast<char*>(density.get()), texels));
    EXPECT_EQ(testing_support::readBytes(dir.file("out/gradient.raw")),
              std::string(reinterpret_cast<char*>(gradient.get()), 4 * texels));
    EXPECT_EQ(testing_support::readBytes(dir.file("out/transfer.raw")),
              std::string(reinterpret_cast<char*>(transfer.get()), 1024));
    for (const char* png : {"density_x.png", "density_y.png", "density_z.png", "gradient_x.png",
                            "gradient_y.png", "gradient_z.png", "transfer.png"}) {
        SCOPED_TRACE(png);
        EXPECT_EQ(testing_support::readBytes(dir.file(std::string("out/") + png)).substr(1, 3), "PNG");
    }
}

TEST(Voldump, KeepsExistingFilesUnlessForced) {
    TempDir dir;
    const std::string dataset =
        dir.write("head.dat", datasetBytes(8, 8, 8, [](int, int, int) { return 900; }));
    std::filesystem::create_directories(dir.file("out"));
    dir.write("out/density.raw", "mine");
    const CommandResult refused = runVoldump(dataset + " 8 " + dir.file("out"));
    EXPECT_NE(refused.status, 0);
    EXPECT_NE(refused.output.find("density.raw"), std::string::npos) << refused.output;
    EXPECT_NE(refused.output.find("--force"), std::string::npos) << refused.output;
    EXPECT_EQ(testing_support::readBytes(dir.file("out/density.raw")), "mine");

    const CommandResult forced = runVoldump(dataset + " 8 " + dir.file("out") + " --force");
    EXPECT_EQ(forced.status, 0) << forced.output;
    EXPECT_EQ(testing_support::readBytes(dir.file("out/density.raw")).size(), 512u);
}

TEST(Voldump, BadInputGivesAMessageAndFailure) {
    TempDir dir;
    const std::string truncated =
        dir.write("short.dat", datasetBytes(8, 8, 8, [](int, int, int) { return 1; }).substr(0, 100));
    struct Row {
        std::string arguments;
        std::string says;
    };
    const Row rows[] = {
        {dir.file("absent.dat") + " 8 " + dir.file("out"), dir.file("absent.dat") + ": cannot open"},
        {truncated + " 8 " + dir.file("out"), "truncated"},
        {truncated + " eight " + dir.file("out"), "EDGE"},
        {truncated, "usage"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments);
        const CommandResult run = runVoldump(row.arguments);
        EXPECT_NE(run.status, 0);
        EXPECT_NE(run.output.find(row.says), std::string::npos) << run.output;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("out/density.raw")));
}

}  // namespace
