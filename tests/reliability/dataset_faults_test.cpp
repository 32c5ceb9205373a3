// Damaged or hostile dataset files, as the viewer meets them at start-up:
// each ends the run with one box naming the file and the problem, status 2,
// in bounded time and memory.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "tests/common/temp_dir.h"
#include "tests/common/viewer_session.h"
#include "tests/volume/dataset_builder.h"

namespace {

using testing_support::Damage;
using testing_support::datasetHeader;
using testing_support::TempDir;
using testing_support::ViewerRun;

constexpr int kExitCannotStart = 2;
constexpr const char* kDataset = "skewed_head.dat";

void expectStoppedWithBox(const ViewerRun& run, const std::string& problem) {
    EXPECT_TRUE(run.exited && run.status == kExitCannotStart) << run.describe();
    EXPECT_FALSE(run.timedOut);
    EXPECT_FALSE(run.sanitizerReport()) << run.err;
    EXPECT_EQ(run.boxes, std::vector<std::string>{"ERROR"}) << run.describe();
    EXPECT_NE(run.err.find(std::string("ERROR: ") + kDataset + ": " + problem), std::string::npos)
        << run.describe();
    EXPECT_NE(run.out.find("loading model\n"), std::string::npos);
    EXPECT_EQ(run.out.find("loading density texture"), std::string::npos);
    // Bounded: nothing near the size a header could announce.
    EXPECT_LT(run.seconds, 60.0);
    EXPECT_LT(run.peakResidentKiB, 1536L * 1024) << run.describe();
}

TEST(DatasetFaults, EachBadDatasetEndsTheRunWithItsProblem) {
    const std::string ball = testing_support::datasetBytes(16, 16, 16, [](int, int, int) { return 1000; });
    const char* notRegular = "is not a regular file (a device or a pipe)";
    const struct {
        const char* what;
        Damage damage;
        const char* problem;
    } rows[] = {
        {"a header announcing 65535 x 65535 x 65535",
         {Damage::content, datasetHeader(65535, 65535, 65535) + "\x01\x02\x03\x04"},
         "truncated: the header announces 65535 x 65535 x 65535 = 281462092005375 samples, the file holds 2"},
        {"cut in the header",
         {Damage::content, ball.substr(0, 3)},
         "not a dataset: the header needs 6 bytes, the file has 3"},
        {"cut in the samples",
         {Damage::content, ball.substr(0, 6 + 4096)},
         "truncated: the header announces 16 x 16 x 16 = 4096 samples, the file holds 2048"},
        {"a directory", {Damage::folder, ""}, "is a directory"},
        {"/dev/zero", {Damage::linkTo, "/dev/zero"}, notRegular},
        {"/dev/urandom", {Damage::linkTo, "/dev/urandom"}, notRegular},
        {"a pipe without a writer", {Damage::pipe, ""}, notRegular},
        {"unreadable", {Damage::unreadable, ""}, "cannot open (Permission denied)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        expectStoppedWithBox(testing_support::runWithDamage(kDataset, row.damage), row.problem);
    }
}

// A header whose samples are all there but do not fit in memory: the
// allocation itself fails, under a limit on the address space.
TEST(DatasetFaults, NoMemoryForTheSamples) {
    TempDir dir;
    testing_support::prepareRunDirectory(dir.path());
    // The file's length matches the header (8 GiB, sparse: it takes no disk).
    testing_support::writeBytes(dir.file(kDataset), datasetHeader(2048, 2048, 1024));
    ASSERT_EQ(truncate(dir.file(kDataset).c_str(), 6 + 2 * (off_t(2048) * 2048 * 1024)), 0);
    testing_support::ViewerLaunch options{"volview256", dir.path()};
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer reserves terabytes of address space for itself, so a
    // ulimit cannot be used; its allocator is told to fail large requests.
    const char* inherited = std::getenv("ASAN_OPTIONS");
    options.environment.push_back(std::string("ASAN_OPTIONS=") + (inherited ? inherited : "") +
                                  ":allocator_may_return_null=1:max_allocation_size_mb=1024");
#else
    options.addressSpaceMiB = 2048;  // ulimit -v 2097152
#endif
    expectStoppedWithBox(testing_support::runViewer(options),
                         "out of memory for a 2048 x 2048 x 1024 dataset on a grid of edge 128");
}

}  // namespace
