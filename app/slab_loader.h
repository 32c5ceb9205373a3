// Makes a viewer-mode volume's density and gradient images a slab of slices
// at a time, on every core, for the caller to upload as the slabs come: the
// grid's records, its gradients and whole images are never held, and the
// caller can show how far it has got. Its progress lines are the caller's
// to print.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "volume/image_slabs.h"

namespace app {

// Storage slices [firstZ, firstZ + count) of the images, over the rows and
// columns of the loader's box: width * height texels a slice.
struct ImageSlab {
    int firstZ = 0;
    int count = 0;
    std::vector<uint8_t> density;   // count * width * height bytes
    std::vector<uint8_t> gradient;  // 4 * count * width * height bytes
};

class SlabLoader {
public:
    enum class Next { Slab, Waiting, Done, Failed };
    // How much of the cube the slabs cover: the box outside which both
    // images are zero (GridSource::imageBox), or the whole cube.
    enum class Extent { samplesBox, wholeCube };

    // A dataset file resampled onto an edge^3 grid.
    SlabLoader(std::string path, int edge, int threads = 0, Extent extent = Extent::samplesBox);
    // Samples held in memory, placed in the grid; `name` stands for the file
    // in messages.
    SlabLoader(std::vector<uint16_t> samples, volume::PlacedSamples placement, std::string name, int edge,
               int threads = 0, Extent extent = Extent::samplesBox);
    ~SlabLoader();  // stops the threads
    SlabLoader(const SlabLoader&) = delete;
    SlabLoader& operator=(const SlabLoader&) = delete;

    // Hands over a finished slab (Slab), in no set order, waiting up to
    // `wait` for one; Waiting when none came, Done once all are handed over,
    // Failed when the samples could not be read or placed (error()).
    Next next(ImageSlab& out, std::chrono::milliseconds wait);
    // Returns an uploaded slab's buffers for the next slabs to reuse, which
    // spares the time of new pages.
    void giveBack(ImageSlab&& slab);
    const std::string& error() const { return error_; }
    // Slices handed over so far, out of edge; the slices outside the box
    // count as done once the samples are read.
    int slicesDone() const { return slicesDone_; }
    // True once the samples are read and the slabs are being made.
    bool sourceReady();
    // The voxels the slabs cover; known once sourceReady().
    const volume::VoxelBox& box() const { return box_; }

private:
    void start(int threads, Extent extent);
    // Reads or places the samples: "" or the reason it failed.
    std::string prepare();
    void makeSlabs();

    std::string path_;
    std::vector<uint16_t> samples_;
    volume::PlacedSamples placement_;
    bool placed_ = false;
    int edge_ = 0;
    int slabDepth_ = 1;
    std::size_t threadCount_ = 1;
    std::unique_ptr<volume::GridSource> source_;
    volume::VoxelBox box_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<ImageSlab> ready_;
    std::vector<ImageSlab> spare_;
    int nextSlice_ = 0;    // the first slice no thread has taken yet
    int slicesDone_ = 0;   // handed over to the caller
    int workersLeft_ = 0;  // threads still making slabs
    bool prepared_ = false;
    bool stopping_ = false;
    std::string error_;
    std::vector<std::thread> threads_;
};

}  // namespace app
