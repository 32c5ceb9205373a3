// voldump DATASET EDGE OUTDIR [--force]
// Loads a dataset as the viewer does and writes the three images it uploads
// (density.raw, gradient.raw, transfer.raw) plus PNG previews: the middle
// slice across each axis of the density and gradient images, and the
// transfer table as a strip.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_output.h"
#include "support/png_writer.h"
#include "volume/volume.h"

namespace {

using support::PngKind;

struct Options {
    std::string dataset;
    int edge = 0;
    std::string outDir;
    bool force = false;
};

int usage() {
    std::fprintf(stderr,
                 "usage: voldump DATASET EDGE OUTDIR [--force]\n"
                 "  writes density.raw, gradient.raw, transfer.raw and PNG previews to OUTDIR;\n"
                 "  existing files are kept unless --force is given\n");
    return 2;
}

bool parse(int argc, char** argv, Options& options) {
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--force") {
            options.force = true;
        } else if (arg.rfind("--", 0) == 0) {
            return false;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 3) return false;
    options.dataset = positional[0];
    char* end = nullptr;
    const long edge = std::strtol(positional[1].c_str(), &end, 10);
    if (*end != '\0' || edge < 4 || edge > 1024) {
        std::fprintf(stderr, "voldump: EDGE must be a whole number from 4 to 1024, not '%s'\n",
                     positional[1].c_str());
        return false;
    }
    options.edge = static_cast<int>(edge);
    options.outDir = positional[2];
    return true;
}

// Writes each output file whole; existing files are kept unless forced.
class Writer {
public:
    explicit Writer(const Options& options) : options_(options) {}

    bool raw(const char* name, const uint8_t* bytes, std::size_t count) {
        const std::string path = options_.outDir + "/" + name;
        std::string error;
        if (!platform::writeFileAtomically(path, bytes, count, options_.force, error)) {
            if (error == "already exists") error += "; use --force to replace it";
            std::fprintf(stderr, "voldump: %s: %s\n", path.c_str(), error.c_str());
            return false;
        }
        return true;
    }

    bool png(const char* name, int width, int height, PngKind kind, const std::vector<uint8_t>& pixels) {
        std::vector<uint8_t> encoded;
        if (!support::encodePng(width, height, kind, pixels.data(), encoded)) {
            std::fprintf(stderr, "voldump: %s: cannot encode PNG\n", name);
            return false;
        }
        return raw(name, encoded.data(), encoded.size());
    }

private:
    const Options& options_;
};

// The middle slice across one axis, `channels` bytes a texel, rows top first:
// slices across z show y downwards; the others show z with the top slice up.
std::vector<uint8_t> middleSlice(const uint8_t* image, int edge, int channels, int axis, int keep) {
    std::vector<uint8_t> out;
    out.reserve(static_cast<std::size_t>(edge) * edge * keep);
    const int mid = edge / 2;
    for (int row = 0; row < edge; ++row) {
        for (int column = 0; column < edge; ++column) {
            int x, y, z;
            if (axis == 2) {
                x = column, y = row, z = mid;
            } else if (axis == 1) {
                x = column, y = mid, z = edge - 1 - row;
            } else {
                x = mid, y = column, z = edge - 1 - row;
            }
            const uint8_t* texel = image + channels * (static_cast<std::size_t>(x) +
                                                       edge * (y + static_cast<std::size_t>(edge) * z));
            out.insert(out.end(), texel, texel + keep);
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) return usage();

    volume::Volume volume(options.dataset.c_str(), options.edge);
    if (volume.isEmpty()) {
        std::fprintf(stderr, "voldump: %s\n", volume.loadError().c_str());
        return 1;
    }
    const auto density = volume.createDensityTexture(8, options.edge);
    const auto gradient = volume.createGradientTexture(options.edge);
    const auto transfer = volume.createTransferTable(256);
    if (!density || !gradient || !transfer) {
        std::fprintf(stderr, "voldump: out of memory for the images of %s\n", options.dataset.c_str());
        return 1;
    }

    std::error_code error;
    std::filesystem::create_directories(options.outDir, error);
    if (error) {
        std::fprintf(stderr, "voldump: %s: cannot create directory (%s)\n", options.outDir.c_str(),
                     error.message().c_str());
        return 1;
    }

    const std::size_t texels = static_cast<std::size_t>(options.edge) * options.edge * options.edge;
    Writer write(options);
    bool ok = write.raw("density.raw", density.get(), texels) &&
              write.raw("gradient.raw", gradient.get(), 4 * texels) &&
              write.raw("transfer.raw", transfer.get(), 4 * 256);
    const char* axisNames[] = {"x", "y", "z"};
    for (int axis = 0; ok && axis < 3; ++axis) {
        const std::string densityName = std::string("density_") + axisNames[axis] + ".png";
        const std::string gradientName = std::string("gradient_") + axisNames[axis] + ".png";
        ok = write.png(densityName.c_str(), options.edge, options.edge, PngKind::gray,
                       middleSlice(density.get(), options.edge, 1, axis, 1)) &&
             write.png(gradientName.c_str(), options.edge, options.edge, PngKind::rgb,
                       middleSlice(gradient.get(), options.edge, 4, axis, 3));
    }
    if (ok) {
        std::vector<uint8_t> strip;
        for (int row = 0; row < 16; ++row)
            strip.insert(strip.end(), transfer.get(), transfer.get() + 4 * 256);
        ok = write.png("transfer.png", 256, 16, PngKind::rgba, strip);
    }
    if (!ok) return 1;
    std::printf(
        "voldump: wrote density.raw, gradient.raw, transfer.raw and previews "
        "density_{x,y,z}.png, gradient_{x,y,z}.png, transfer.png to %s\n",
        options.outDir.c_str());
    return 0;
}
