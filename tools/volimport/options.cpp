#include "tools/volimport/options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace volimport {

using scan::ByteOrder;
using scan::InputKind;
using scan::Options;

namespace {

constexpr int kMaxOffset = 1 << 20;
// The longest --fit: the viewer's largest grid edge.
constexpr int kLargestFit = 1024;

// Splits at ',' (or 'x' when `allowX`).
std::vector<std::string> split(const std::string& text, bool allowX) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == ',' || (allowX && c == 'x')) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

bool parseLong(const std::string& text, long long min, long long max, long long& out) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < min || v > max) return false;
    out = v;
    return true;
}

bool parsePositive(const std::string& text, double& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !(v > 0.0) || !std::isfinite(v)) return false;
    out = v;
    return true;
}

bool parseRange(const std::string& text, double out[2]) {
    const std::vector<std::string> parts = split(text, false);
    if (parts.size() != 2) return false;
    for (int i = 0; i < 2; ++i) {
        char* end = nullptr;
        if (parts[i].empty()) return false;
        out[i] = std::strtod(parts[i].c_str(), &end);
        if (*end != '\0' || !std::isfinite(out[i])) return false;
    }
    return out[0] < out[1];
}

bool parseSpacing(const std::string& text, double out[3]) {
    const std::vector<std::string> parts = split(text, false);
    if (parts.size() == 1) {
        if (!parsePositive(parts[0], out[0])) return false;
        out[1] = out[2] = out[0];
        return true;
    }
    if (parts.size() != 3) return false;
    for (int a = 0; a < 3; ++a) {
        if (!parsePositive(parts[a], out[a])) return false;
    }
    return true;
}

}  // namespace

bool parseDims(const std::string& text, int out[3]) {
    const std::vector<std::string> parts = split(text, true);
    if (parts.size() != 3) return false;
    for (int a = 0; a < 3; ++a) {
        long long v = 0;
        if (!parseLong(parts[a], 1, 1 << 30, v)) return false;
        out[a] = static_cast<int>(v);
    }
    return true;
}

bool parseOptions(int argc, const char* const* argv, Options& out, std::string& error) {
    out = Options();
    bool seen[32] = {};
    bool dimsGiven = false, typeGiven = false;
    bool rawOnly = false;  // an option that only raw input takes was given
    std::string rawOption;
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool hasInlineValue = false;
        const std::size_t eq = arg.find('=');
        if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            hasInlineValue = true;
        }
        static const char* const kNames[] = {
            "--inv3", "--raw",    "-o",       "--output", "--dims",   "--type", "--endian", "--spacing",
            "--skip", "--offset", "--flip-z", "--force",  "--help",   "-h",     "--dicom",  "--nifti",
            "--list", "--series", "--range",  "--full",   "--volume", "--fit"};
        int which = -1;
        for (int k = 0; k < static_cast<int>(sizeof kNames / sizeof kNames[0]); ++k) {
            if (arg == kNames[k]) which = k;
        }
        if (which < 0) {
            error = arg.empty() || arg[0] != '-' ? "unexpected argument \"" + arg + "\""
                                                 : "unknown option " + arg;
            return false;
        }
        if (which == 3) which = 2;    // --output is -o
        if (which == 13) which = 12;  // -h is --help
        const bool takesValue = which <= 9 || which == 14 || which == 15 || which == 17 || which == 18 ||
                                which == 20 || which == 21;
        if (!takesValue && hasInlineValue) {
            error = arg + " takes no value";
            return false;
        }
        if (takesValue && !hasInlineValue) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        if (seen[which]) {
            error = arg + " given twice";
            return false;
        }
        seen[which] = true;
        if (which >= 4 && which <= 8) {
            rawOnly = true;
            rawOption = arg;
        }
        switch (which) {
        case 0:
        case 1:
        case 14:
        case 15:
            if (out.input != InputKind::None) {
                error = "give one input: --inv3, --raw, --dicom or --nifti";
                return false;
            }
            out.input = which == 0    ? InputKind::Inv3
                        : which == 1  ? InputKind::Raw
                        : which == 14 ? InputKind::Dicom
                                      : InputKind::Nifti;
            out.inputPath = value;
            break;
        case 16:
            out.list = true;
            break;
        case 17:
            out.series = value;
            break;
        case 18:
            if (!parseRange(value, out.range)) {
                error = "--range needs two numbers LOW,HIGH with LOW < HIGH, not \"" + value + "\"";
                return false;
            }
            out.rangeGiven = true;
            break;
        case 19:
            out.full = true;
            break;
        case 20:
            if (!parseLong(value, 1, 1LL << 40, out.volume)) {
                error = "--volume needs a volume number from 1, not \"" + value + "\"";
                return false;
            }
            break;
        case 21: {
            long long v = 0;
            if (!parseLong(value, 2, kLargestFit, v)) {
                error = "--fit needs an edge from 2 to " + std::to_string(kLargestFit) + ", not \"" + value +
                        "\"";
                return false;
            }
            out.fit = static_cast<int>(v);
            break;
        }
        case 2:
            out.outputPath = value;
            break;
        case 4:
            if (!parseDims(value, out.layout.dims)) {
                error = "--dims needs three positive integers X,Y,Z, not \"" + value + "\"";
                return false;
            }
            dimsGiven = true;
            break;
        case 5:
            if (!scan::parseSampleType(value, out.layout.type)) {
                error = "--type must be uint8, int16 or uint16, not \"" + value + "\"";
                return false;
            }
            typeGiven = true;
            break;
        case 6:
            if (value == "little")
                out.layout.order = ByteOrder::Little;
            else if (value == "big")
                out.layout.order = ByteOrder::Big;
            else {
                error = "--endian must be little or big, not \"" + value + "\"";
                return false;
            }
            break;
        case 7:
            if (!parseSpacing(value, out.spacing)) {
                error = "--spacing needs one or three positive numbers, not \"" + value + "\"";
                return false;
            }
            break;
        case 8: {
            long long v = 0;
            if (!parseLong(value, 0, (1LL << 62), v)) {
                error = "--skip needs a byte count, not \"" + value + "\"";
                return false;
            }
            out.skipBytes = static_cast<uint64_t>(v);
            break;
        }
        case 9: {
            long long v = 0;
            if (!parseLong(value, -kMaxOffset, kMaxOffset, v)) {
                error = "--offset needs an integer within +-" + std::to_string(kMaxOffset) + ", not \"" +
                        value + "\"";
                return false;
            }
            out.offset = static_cast<int>(v);
            out.offsetGiven = true;
            break;
        }
        case 10:
            out.flipZ = true;
            break;
        case 11:
            out.force = true;
            break;
        case 12:
            out.help = true;
            break;
        }
    }
    if (out.help) return true;
    if (out.input == InputKind::None) {
        error = "no input: give --inv3 FILE, --raw FILE, --dicom DIR or --nifti FILE";
        return false;
    }
    if ((out.list || !out.series.empty()) && out.input != InputKind::Dicom) {
        error = std::string(out.list ? "--list" : "--series") + " applies to --dicom input only";
        return false;
    }
    if (out.volume > 0 && out.input != InputKind::Nifti) {
        error = "--volume applies to --nifti input only";
        return false;
    }
    if (out.rangeGiven && out.input == InputKind::Inv3) {
        error = "--range does not apply to --inv3 input, which is CT in Hounsfield units";
        return false;
    }
    if (out.full && seen[21]) {
        error = "give --fit or --full, not both";
        return false;
    }
    if (out.rangeGiven && out.offsetGiven) {
        error = "give --range or --offset, not both";
        return false;
    }
    if (out.inputPath.empty()) {
        error = "the input path is empty";
        return false;
    }
    if (out.outputPath.empty() && !out.list) {
        error = "no output: give -o FILE";
        return false;
    }
    if (out.input != InputKind::Raw && rawOnly) {
        error = rawOption + " applies to --raw input only";
        return false;
    }
    if (out.input == InputKind::Raw && (!dimsGiven || !typeGiven)) {
        error = "--raw needs --dims and --type";
        return false;
    }
    return true;
}

const char* usageText() {
    return "usage: volimport --inv3 FILE -o OUT [options]\n"
           "       volimport --raw FILE --dims X,Y,Z --type TYPE -o OUT [options]\n"
           "       volimport --dicom DIR [--series UID] -o OUT [options]\n"
           "       volimport --dicom DIR --list\n"
           "       volimport --nifti FILE [--volume N] -o OUT [options]\n"
           "\n"
           "Turns a scan into a dataset file for the viewer: a header of three\n"
           "little-endian uint16 dimensions, then 12-bit samples as little-endian\n"
           "uint16, x fastest. The volume is resampled to cubic voxels; unless --full,\n"
           "a scan whose longest axis would exceed 128 voxels (--fit N: N) is reduced\n"
           "with an averaging filter to that length, the viewer's grid edge, and a\n"
           "shorter one is enlarged (interpolated) to it so that it fills the view. Scans that\n"
           "record their orientation (DICOM, NIfTI) are turned so that +x points to\n"
           "the patient's left, +y to the front and +z to the head.\n"
           "CT values (Hounsfield units) v become clamp(v + offset, 0, 4095); other\n"
           "DICOM and NIfTI data, and raw uint8 data, is mapped linearly from --range,\n"
           "else from its 0.5th to 99.5th percentile, onto 0..4095.\n"
           "\n"
           "Input:\n"
           "  --inv3 FILE        a project archive (gzip-compressed tar with\n"
           "                     main.plist and the raw CT samples, in Hounsfield\n"
           "                     units); spacing and layout come from main.plist\n"
           "  --raw FILE         a raw volume, described by:\n"
           "    --dims X,Y,Z     samples along x, y, z (x fastest in the file)\n"
           "    --type TYPE      uint8, int16 or uint16\n"
           "    --endian ORDER   little (default) or big\n"
           "    --spacing S      voxel size: S for all axes, or SX,SY,SZ (default 1)\n"
           "    --skip BYTES     header bytes before the samples (default 0)\n"
           "  --dicom DIR        a DICOM series: the files in DIR and its subfolders\n"
           "    --list           print the series in DIR (UID, description, size)\n"
           "    --series UID     the series to import; default: the one with the\n"
           "                     most slices\n"
           "  --nifti FILE       a NIfTI-1 or NIfTI-2 image (.nii or .nii.gz)\n"
           "    --volume N       the volume to import from a series of volumes over\n"
           "                     time, 1 for the first (the default)\n"
           "\n"
           "Output:\n"
           "  -o, --output OUT   the dataset file; written atomically, never over an\n"
           "                     existing file\n"
           "  --force            replace OUT when it exists\n"
           "  --offset N         added to every value before clamping; default 1024\n"
           "                     for --inv3 and int16 input (Hounsfield units: air\n"
           "                     becomes 0), 0 for uint16 input\n"
           "  --range LOW,HIGH   map LOW..HIGH linearly onto 0..4095 (not --inv3)\n"
           "  --fit N            fit the longest axis to N voxels (default 128), for\n"
           "                     a viewer started with --grid N\n"
           "  --full             keep the full resolution; the viewer then thins or\n"
           "                     crops what exceeds its grid\n"
           "  --flip-z           reverse the slice order, for scans stored with the\n"
           "                     top of the head in the first slice; the viewer\n"
           "                     expects it in the last\n"
           "  -h, --help         show this text\n"
           "\n"
           "Exit status: 0 on success, 1 when the import fails, 2 on a bad command line.\n";
}

}  // namespace volimport
