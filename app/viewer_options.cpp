#include "app/viewer_options.h"

#include <cerrno>
#include <cstdlib>

#include "app/looks.h"

namespace app {

namespace {

// The largest edge worth asking for: 1024³ would already need 5 GiB of textures.
constexpr long kLargestGridEdge = 1024;

bool parseGridEdge(const std::string& text, int& out) {
    if (text.empty() || text[0] < '0' || text[0] > '9') return false;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < 2 || value > kLargestGridEdge) return false;
    out = static_cast<int>(value);
    return true;
}

// "W,H", each from 64 to the largest window.
bool parseWindowSize(const std::string& text, int& width, int& height) {
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos) return false;
    int parsed[2] = {};
    const std::string parts[2] = {text.substr(0, comma), text.substr(comma + 1)};
    for (int i = 0; i < 2; ++i) {
        const std::string& part = parts[i];
        if (part.empty() || part.size() > 5 || part.find_first_not_of("0123456789") != std::string::npos) {
            return false;
        }
        parsed[i] = std::atoi(part.c_str());
        if (parsed[i] < kSmallestWindowEdge || parsed[i] > kLargestWindowEdge) return false;
    }
    width = parsed[0];
    height = parsed[1];
    return true;
}

}  // namespace

bool parseViewerOptions(int argc, const char* const* argv, ViewerOptions& out, std::string& error) {
    out = ViewerOptions();
    bool pathGiven = false;
    bool optionsEnded = false;
    bool gridGiven = false, seriesGiven = false, lookGiven = false, sizeGiven = false;
    bool& layoutGiven = out.layoutGiven;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (optionsEnded || argument.empty() || argument[0] != '-') {
            if (pathGiven) {
                error = "more than one path: '" + out.path + "' and '" + argument + "'";
                return false;
            }
            out.path = argument;
            pathGiven = true;
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "--help" || argument == "-h") {
            out.help = true;
            continue;
        }
        if (argument == "--viewer") {
            out.viewer = true;
            continue;
        }
        bool* given = argument == "--grid"     ? &gridGiven
                      : argument == "--series" ? &seriesGiven
                      : argument == "--look"   ? &lookGiven
                      : argument == "--size"   ? &sizeGiven
                      : argument == "--layout" ? &layoutGiven
                                               : nullptr;
        if (given == nullptr) {
            error = "unknown option '" + argument + "'";
            return false;
        }
        if (*given) {
            error = argument + " given twice";
            return false;
        }
        *given = true;
        if (i + 1 >= argc || argv[i + 1][0] == '\0') {
            error = argument + " needs a value";
            return false;
        }
        const std::string value = argv[++i];
        if (argument == "--grid") {
            if (!parseGridEdge(value, out.gridEdge)) {
                error = "--grid needs an edge from 2 to " + std::to_string(kLargestGridEdge) + ", not '" +
                        value + "'";
                return false;
            }
        } else if (argument == "--size") {
            if (!parseWindowSize(value, out.width, out.height)) {
                error = "--size needs a width and a height from " + std::to_string(kSmallestWindowEdge) +
                        " to " + std::to_string(kLargestWindowEdge) + ", as in 800,600, not '" + value + "'";
                return false;
            }
        } else if (argument == "--layout") {
            if (value != "four" && value != "one") {
                error = "--layout needs 'four' (slices beside the 3D view) or 'one', not '" + value + "'";
                return false;
            }
            out.fourPanes = value == "four";
        } else if (argument == "--series") {
            out.seriesUid = value;
        } else {
            out.look = value;
        }
    }
    return true;
}

std::string viewerUsage(const char* program) {
    return std::string("usage: ") + program +
           " [OPTIONS] [PATH]\n"
           "Shows PATH: a dataset file (default: skewed_head.dat in the current folder,\n"
           "else the installed one), a DICOM folder (or one file of its series) or a\n"
           "NIfTI file (.nii, .nii.gz), told apart by content. Scans are imported in\n"
           "memory as volimport does, their longest axis fitted to the grid edge, and\n"
           "shown in the middle.\n"
           "A path that starts with '-' is given after \"--\" or as ./-name.\n"
           "\n"
           "  --grid N        the edge of the viewer's cube (default 128)\n"
           "  --series UID    the series to show from a DICOM folder\n"
           "  --look NAME     the look to start with, one of\n"
           "                  " +
           lookNames() +
           "\n"
           "                  (the MIP looks show the brightest sample along each\n"
           "                  ray, MinIP the faintest in a slab: 'l' cycles them)\n"
           "  --size W,H      the window's size at the start (default 400,400)\n"
           "  --layout L      'four': axial, coronal and sagittal slices beside the 3D\n"
           "                  view from the start; 'one' (the default): the 3D view alone\n"
           "  --viewer        viewer mode for a dataset file (any option gives it):\n"
           "                  drag to turn, drawing only on change, any window size\n"
           "  -h, --help      this text\n";
}

}  // namespace app
