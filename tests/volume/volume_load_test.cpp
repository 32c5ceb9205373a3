// Loading dataset files into a Volume: what a bad file leaves behind.
#include <gtest/gtest.h>

#include <string>

#include "platform/runtime.h"
#include "tests/common/temp_dir.h"
#include "tests/volume/dataset_builder.h"
#include "volume/volume.h"

namespace {

using testing_support::datasetHeader;
using testing_support::TempDir;

TEST(VolumeLoad, BadFilesLeaveTheVolumeEmptyWithAMessageNamingFileAndProblem) {
    // Cut, huge, folder and device files: the dataset-fault runs of the
    // viewer and the dataset fuzz target.
    TempDir dir;
    const struct {
        const char* name;
        const char* problem;
    } cases[] = {{"missing.dat", "cannot open"}, {"zero-dimension.dat", "dimension is zero"}};
    dir.write("zero-dimension.dat", datasetHeader(4, 0, 4));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(c.name);
        testing::internal::CaptureStdout();
        volume::Volume volume(path.c_str(), 16);
        testing::internal::GetCapturedStdout();
        EXPECT_TRUE(volume.isEmpty());
        EXPECT_NE(volume.loadError().find(path), std::string::npos) << volume.loadError();
        EXPECT_NE(volume.loadError().find(c.problem), std::string::npos) << volume.loadError();
        EXPECT_EQ(volume.sizeX(), 0);
        EXPECT_EQ(volume.value(1, 1, 1), 0u);
        EXPECT_TRUE(volume.gradient(1, 1, 1).equals({0, 0, 0}));
        EXPECT_EQ(volume.createDensityTexture(8, 16), nullptr);
        EXPECT_EQ(volume.createGradientTexture(16), nullptr);
    }
}

}  // namespace
