// Damaged or hostile dataset files, as the viewer meets them at start-up:
// each ends the run with one box naming the file and the problem, status 2,
// in bounded time and memory.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "tests/common/temp_dir.h"
#include "tests/common/viewer_session.h"
#include "tests/volume/dataset_builder.h"

namespace {

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
    struct Row {
        const char* what;
        std::function<void(const std::string& path)> damage;
        std::string problem;
        bool unprivileged;
    };
    const Row rows[] = {
        {"a header announcing 65535 x 65535 x 65535",
         [](const std::string& p) {
             testing_support::writeBytes(p, datasetHeader(65535, 65535, 65535) + "\x01\x02\x03\x04");
         },
         "truncated: the header announces 65535 x 65535 x 65535 = 281462092005375 samples, the file holds 2",
         false},
        {"cut in the header",
         [&](const std::string& p) { testing_support::writeBytes(p, ball.substr(0, 3)); },
         "not a dataset: the header needs 6 bytes, the file has 3", false},
        {"cut in the samples",
         [&](const std::string& p) { testing_support::writeBytes(p, ball.substr(0, 6 + 4096)); },
         "truncated: the header announces 16 x 16 x 16 = 4096 samples, the file holds 2048", false},
        {"a directory",
         [](const std::string& p) {
             unlink(p.c_str());
             mkdir(p.c_str(), 0755);
         },
         "is a directory", false},
        {"/dev/zero",
         [](const std::string& p) {
             unlink(p.c_str());
             symlink("/dev/zero", p.c_str());
         },
         "is not a regular file (a device or a pipe)", false},
        {"/dev/urandom",
         [](const std::string& p) {
             unlink(p.c_str());
             symlink("/dev/urandom", p.c_str());
         },
         "is not a regular file (a device or a pipe)", false},
        {"a pipe without a writer",
         [](const std::string& p) {
             unlink(p.c_str());
             mkfifo(p.c_str(), 0644);
         },
         "is not a regular file (a device or a pipe)", false},
        {"unreadable", [](const std::string& p) { chmod(p.c_str(), 0); }, "cannot open (Permission denied)",
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempDir dir;
        testing_support::prepareRunDirectory(dir.path());
        row.damage(dir.file(kDataset));
        testing_support::ViewerLaunch launch{"volview256", dir.path()};
        launch.unprivileged = row.unprivileged;
        expectStoppedWithBox(testing_support::runViewer(launch), row.problem);
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
