// volume_bench [DATASET] [--edge N] [--repeat N]
// Times each stage that turns the dataset file into the three uploaded
// images and prints the figures as JSON. Each stage is run --repeat times
// and the fastest run is reported.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime.h"
#include "volume/dataset_file.h"
#include "volume/resample.h"
#include "volume/volume.h"

namespace {

double fastestMs(int repeat, const std::function<void()>& stage) {
    double best = 1e300;
    for (int i = 0; i < repeat; ++i) {
        const auto start = std::chrono::steady_clock::now();
        stage();
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

[[noreturn]] void die(const std::string& message) {
    std::fprintf(stderr, "volume_bench: %s\n", message.c_str());
    std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    std::string path = "skewed_head.dat";
    int edge = 128;
    int repeat = 5;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--edge" && i + 1 < argc) {
            edge = std::atoi(argv[++i]);
        } else if (arg == "--repeat" && i + 1 < argc) {
            repeat = std::max(1, std::atoi(argv[++i]));
        } else {
            path = arg;
        }
    }

    // Stage by stage, the way load runs them.
    volume::DatasetFile file;
    std::unique_ptr<uint16_t[]> samples;
    const double readMs = fastestMs(repeat, [&] {
        if (!file.open(path.c_str())) die(file.error());
        samples.reset(new uint16_t[file.sampleCount()]);
        if (!file.readSamples(samples.get())) die(file.error());
    });
    std::vector<volume::VoxelRecord> grid(static_cast<std::size_t>(edge) * edge * edge);
    const double resampleMs = fastestMs(repeat, [&] {
        volume::resampleToGrid(samples.get(), file.dimX(), file.dimY(), file.dimZ(), edge, grid.data());
    });
    samples.reset();

    // An empty path fails before any progress line; then load quietly.
    volume::Volume volume("", edge);
    volume.setProgressOutput(nullptr);
    const double loadMs = fastestMs(repeat, [&] { volume.load(path.c_str(), edge); });
    if (volume.isEmpty()) die(volume.loadError());

    const double gradientsMs = fastestMs(repeat, [&] { volume.computeGradients(); });
    const double densityMs = fastestMs(repeat, [&] { volume.createDensityTexture(8, edge); });
    const double gradientImageMs = fastestMs(repeat, [&] { volume.createGradientTexture(edge); });
    const double transferMs = fastestMs(repeat, [&] { volume.createTransferTable(256); });

    // The share of the per-voxel virtual calls: one value() per voxel, as
    // the density image makes them.
    volume::VolumeSource& source = volume;
    uint64_t sink = 0;
    const double valueCallsMs = fastestMs(repeat, [&] {
        for (int k = 0; k < edge; ++k)
            for (int y = 0; y < edge; ++y)
                for (int x = 0; x < edge; ++x) sink += source.value(x, y, k);
    });

    const double totalMs = readMs + resampleMs + gradientsMs + densityMs + gradientImageMs + transferMs;
    std::printf(
        "{\n"
        "  \"dataset\": \"%s\",\n"
        "  \"dimensions\": [%d, %d, %d],\n"
        "  \"edge\": %d,\n"
        "  \"repeat\": %d,\n"
        "  \"stages_ms\": {\n"
        "    \"read\": %.2f,\n"
        "    \"resample\": %.2f,\n"
        "    \"gradients\": %.2f,\n"
        "    \"density_image\": %.2f,\n"
        "    \"gradient_image\": %.2f,\n"
        "    \"transfer_table\": %.3f\n"
        "  },\n"
        "  \"total_ms\": %.2f,\n"
        "  \"load_ms\": %.2f,\n"
        "  \"value_calls_per_voxel_pass_ms\": %.2f,\n"
        "  \"peak_resident_mib\": %.1f,\n"
        "  \"checksum\": %llu\n"
        "}\n",
        path.c_str(), file.dimX(), file.dimY(), file.dimZ(), edge, repeat, readMs, resampleMs, gradientsMs,
        densityMs, gradientImageMs, transferMs, totalMs, loadMs, valueCallsMs,
        static_cast<double>(platform::peakResidentBytes()) / (1024.0 * 1024.0),
        static_cast<unsigned long long>(sink % 1000003));
    return 0;
}
