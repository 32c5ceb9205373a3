#include "app/slab_loader.h"

#include <algorithm>
#include <new>

#include "volume/dataset_file.h"

namespace app {
namespace {

// About 8 MB of gradient image per slab: small enough that the slabs on
// their way cost little memory, large enough that the two margin slices
// each slab reads again cost little time; and at least eight slabs, so that
// a small cube is shared out between the cores too.
int slabDepthFor(int edge) {
    const std::size_t sliceBytes = 4 * static_cast<std::size_t>(edge) * static_cast<std::size_t>(edge);
    const std::size_t byBytes = (8u << 20) / sliceBytes;
    return static_cast<int>(std::clamp<std::size_t>(std::min(byBytes, static_cast<std::size_t>(edge) / 8), 1,
                                                    static_cast<std::size_t>(edge)));
}

// Finished slabs waiting for the caller, per thread: the threads pause
// rather than run far ahead of the upload.
constexpr std::size_t kQueuedPerThread = 2;

}  // namespace

SlabLoader::SlabLoader(std::string path, int edge, int threads, Extent extent)
    : path_(std::move(path)), edge_(edge) {
    start(threads, extent);
}

SlabLoader::SlabLoader(std::vector<uint16_t> samples, volume::PlacedSamples placement, std::string name,
                       int edge, int threads, Extent extent)
    : path_(std::move(name)),
      samples_(std::move(samples)),
      placement_(placement),
      placed_(true),
      edge_(edge) {
    placement_.samples = samples_.data();
    start(threads, extent);
}

void SlabLoader::start(int threads, Extent extent) {
    if (threads <= 0) threads = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    slabDepth_ = slabDepthFor(edge_);
    threadCount_ = static_cast<std::size_t>(threads);
    workersLeft_ = threads;
    // The first thread reads the samples; the others wait for them.
    for (int t = 0; t < threads; ++t) {
        threads_.emplace_back([this, t, extent] {
            if (t == 0) {
                std::string problem;
                try {
                    problem = prepare();
                } catch (const std::bad_alloc&) {
                    problem = path_ + ": out of memory for the samples";
                }
                std::lock_guard<std::mutex> lock(mutex_);
                error_ = problem;
                if (problem.empty()) {
                    box_ = extent == Extent::wholeCube ? volume::VoxelBox::cube(edge_) : source_->imageBox();
                    nextSlice_ = box_.low[2];
                    slicesDone_ = edge_ - box_.size(2);
                }
                prepared_ = true;
                changed_.notify_all();
            }
            makeSlabs();
        });
    }
}

SlabLoader::~SlabLoader() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

std::string SlabLoader::prepare() {
    if (placed_) {
        const std::string misfit = volume::placementError(placement_, edge_);
        if (!misfit.empty()) return path_ + ": " + misfit;
        source_ = std::make_unique<volume::GridSource>(volume::GridSource::placed(placement_, edge_));
        return "";
    }
    volume::DatasetFile file;
    const auto named = [this](const std::string& problem) {
        return problem.rfind(path_, 0) == 0 ? problem : path_ + ": " + problem;
    };
    if (!file.open(path_.c_str())) return named(file.error());
    samples_.resize(file.sampleCount());
    if (!file.readSamples(samples_.data())) return named(file.error());
    source_ = std::make_unique<volume::GridSource>(
        volume::GridSource::resampled(samples_.data(), file.dimX(), file.dimY(), file.dimZ(), edge_));
    return "";
}

bool SlabLoader::sourceReady() {
    std::lock_guard<std::mutex> lock(mutex_);
    return prepared_ && error_.empty();
}

void SlabLoader::makeSlabs() {
    std::vector<int32_t> scratch;
    std::unique_lock<std::mutex> lock(mutex_);
    const std::size_t queueLimit = kQueuedPerThread * threadCount_;
    const auto allTaken = [this] { return nextSlice_ >= box_.high[2]; };
    for (;;) {
        changed_.wait(lock, [&] {
            return stopping_ || (prepared_ && (!error_.empty() || allTaken() || ready_.size() < queueLimit));
        });
        if (stopping_ || !error_.empty() || allTaken()) break;
        const std::size_t sliceTexels =
            static_cast<std::size_t>(box_.size(0)) * static_cast<std::size_t>(box_.size(1));
        ImageSlab slab;
        if (!spare_.empty()) {
            slab = std::move(spare_.back());
            spare_.pop_back();
        }
        slab.firstZ = nextSlice_;
        slab.count = std::min(slabDepth_, box_.high[2] - nextSlice_);
        nextSlice_ += slab.count;
        lock.unlock();
        try {
            slab.density.resize(sliceTexels * static_cast<std::size_t>(slab.count));
            slab.gradient.resize(4 * sliceTexels * static_cast<std::size_t>(slab.count));
            volume::makeImageSlab(*source_, box_, slab.firstZ, slab.count, slab.density.data(),
                                  slab.gradient.data(), scratch);
        } catch (const std::bad_alloc&) {
            lock.lock();
            error_ = path_ + ": out of memory for the texture images";
            break;
        }
        lock.lock();
        ready_.push_back(std::move(slab));
        changed_.notify_all();
    }
    // The last thread out lets the samples go: the textures hold the rest.
    if (--workersLeft_ == 0) {
        source_.reset();
        std::vector<uint16_t>().swap(samples_);
    }
    changed_.notify_all();
}

void SlabLoader::giveBack(ImageSlab&& slab) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (slicesDone_ < edge_) spare_.push_back(std::move(slab));
}

SlabLoader::Next SlabLoader::next(ImageSlab& out, std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, wait, [&] { return !ready_.empty() || !error_.empty() || slicesDone_ >= edge_; });
    if (!error_.empty()) return Next::Failed;
    if (ready_.empty()) return slicesDone_ >= edge_ ? Next::Done : Next::Waiting;
    out = std::move(ready_.front());
    ready_.pop_front();
    slicesDone_ += out.count;
    changed_.notify_all();
    return Next::Slab;
}

}  // namespace app
