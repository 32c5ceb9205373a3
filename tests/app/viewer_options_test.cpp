#include "app/viewer_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Parses `arguments` after the program name; the trace names them.
bool parse(const std::vector<const char*>& arguments, app::ViewerOptions& options, std::string& error) {
    std::vector<const char*> argv = {"volview"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return app::parseViewerOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

struct Row {
    std::vector<const char*> arguments;
    bool ok;
    const char* path;
    int grid;
    const char* look;
};

TEST(ViewerOptions, ParsesPathGridSeriesAndLookAndRefusesTheRest) {
    const Row rows[] = {
        {{}, true, "", 0, ""},
        {{"head.dat"}, true, "head.dat", 0, ""},
        {{"--grid", "256", "scan"}, true, "scan", 256, ""},
        {{"--look", "MR", "--", "-odd"}, true, "-odd", 0, "MR"},
        {{"--grid", "256x"}, false, "", 0, ""},
        {{"--grid", "1"}, false, "", 0, ""},
        {{"--grid", "1025"}, false, "", 0, ""},
        {{"--grid"}, false, "", 0, ""},
        {{"--grid", "128", "--grid", "256"}, false, "", 0, ""},
        {{"-x"}, false, "", 0, ""},
        {{"a", "b"}, false, "", 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(
            testing::PrintToString(std::vector<std::string>(row.arguments.begin(), row.arguments.end())));
        app::ViewerOptions options;
        std::string error;
        ASSERT_EQ(parse(row.arguments, options, error), row.ok);
        EXPECT_EQ(error.empty(), row.ok) << error;
        if (!row.ok) continue;
        EXPECT_EQ(options.path, row.path);
        EXPECT_EQ(options.gridEdge, row.grid);
        EXPECT_EQ(options.look, row.look);
        EXPECT_EQ(options.plain(), row.grid == 0 && row.look[0] == '\0');
    }
}

TEST(ViewerOptions, SizeViewerAndLayoutGiveViewerMode) {
    struct SizeRow {
        std::vector<const char*> arguments;
        bool ok;
        int width, height;
        bool fourPanes = false;
    };
    const SizeRow rows[] = {
        {{"--viewer", "head.dat"}, true, 0, 0},
        {{"--size", "800,500"}, true, 800, 500},
        {{"--size", "64,8192", "a"}, true, 64, 8192},
        {{"--size", "800"}, false, 0, 0},
        {{"--size", "63,100"}, false, 0, 0},
        {{"--size", "100,8193"}, false, 0, 0},
        {{"--size", "8x,5"}, false, 0, 0},
        {{"--size", "-1,5"}, false, 0, 0},
        {{"--layout", "four", "head.dat"}, true, 0, 0, true},
        {{"--layout", "one"}, true, 0, 0, false},
        {{"--layout", "Four"}, false, 0, 0},
        {{"--layout"}, false, 0, 0},
        {{"--layout", "four", "--layout", "one"}, false, 0, 0},
    };
    for (const SizeRow& row : rows) {
        SCOPED_TRACE(
            testing::PrintToString(std::vector<std::string>(row.arguments.begin(), row.arguments.end())));
        app::ViewerOptions options;
        std::string error;
        ASSERT_EQ(parse(row.arguments, options, error), row.ok) << error;
        if (!row.ok) continue;
        EXPECT_EQ(options.width, row.width);
        EXPECT_EQ(options.height, row.height);
        EXPECT_EQ(options.fourPanes, row.fourPanes);
        EXPECT_FALSE(options.plain());
    }
}

}  // namespace
