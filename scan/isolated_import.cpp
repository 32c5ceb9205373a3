#include "scan/isolated_import.h"

#include <algorithm>
#include <new>

#include "platform/runtime.h"
#include "scan/fit_resample.h"
#include "scan/import_answer.h"
#include "scan/read_watch.h"
#include "volume/dataset_file.h"

namespace scan {
namespace {

// Far beyond any scan's reading time on a slow machine; a file that makes
// a library loop for ever is stopped here.
constexpr unsigned kReaderSeconds = 600;

ReaderFault readerFault = nullptr;

// The memory the machine can give now, with room for the libraries' code;
// a file that asks for more is refused instead of pushing the host to swap.
platform::ChildLimits readerLimits() {
    constexpr uint64_t kGiB = 1ull << 30;
    platform::ChildLimits limits;
    limits.memoryBytes = std::max<uint64_t>(2 * kGiB, platform::availableMemoryBytes() + kGiB);
    limits.cpuSeconds = kReaderSeconds;
    return limits;
}

void tellParent(const std::string& path, void* link) {
    sendReading(*static_cast<const platform::ParentLink*>(link), path);
    if (readerFault != nullptr) readerFault(path);
}

// Whether the scan as read is smaller than it will be fitted: then the
// parent fits it, and fewer samples cross over.
bool smallerThanFitted(const Options& options, int fitEdge, const Scan& scan) {
    CubicShape shape;
    std::string unused;
    if (!fittedShape(scan.grid.dims, scan.spacing, options.full ? 0 : fitEdge, volume::kMaxDatasetDim, shape,
                     unused)) {
        return false;  // fitting here says why
    }
    const double fitted =
        static_cast<double>(shape.dims[0]) * shape.dims[1] * static_cast<double>(shape.dims[2]);
    return static_cast<double>(scan.grid.count()) < fitted;
}

int serveForked(const platform::ParentLink& link, void* request) {
    return serveRequest(*static_cast<const ImportRequest*>(request), link);
}

class ChildAnswer : public AnswerSource {
public:
    explicit ChildAnswer(platform::ChildProcess& child) : child_(child) {}
    std::size_t read(void* data, std::size_t size) override { return child_.read(data, size); }

private:
    platform::ChildProcess& child_;
};

// Runs `request` in a child. False with `error` when it was refused, or
// the child failed or answered out of form.
bool askReader(const ImportRequest& request, std::FILE* out, std::FILE* err, ImportAnswer& answer,
               std::string& error) {
    const std::string& input = request.options.inputPath;
    platform::ChildTask task;
    task.work = &serveForked;
    task.context = const_cast<ImportRequest*>(&request);
    task.helper = "volread";
    task.arguments = {encodeRequest(request)};
    task.out = out;
    task.err = err;
    task.limits = readerLimits();
    platform::ChildProcess child;
    std::string problem;
    if (!child.start(task, problem)) {
        error = input + ": " + problem;
        return false;
    }
    ChildAnswer source(child);
    const bool whole = readAnswer(source, answer, problem);
    if (!whole) child.kill();
    const platform::ChildEnd end = child.wait();
    if (whole && answer.kind == ImportAnswer::Kind::Refused) {
        error = answer.error;
        return false;
    }
    if (whole && answer.kind != ImportAnswer::Kind::None && end.exited && end.status == 0) return true;
    const std::string& file = answer.lastFile;
    const std::string where = file.empty() || file == input ? "" : " while reading " + file;
    if (!whole) {
        error = input + ": the reader process sent a damaged answer (" + problem + ")" + where;
    } else {
        error = input + ": the reader process failed (" + end.description + ")" + where +
                ": the file is damaged or crafted";
    }
    return false;
}

}  // namespace

bool readsInChild(InputKind input) { return input == InputKind::Dicom || input == InputKind::Nifti; }

bool importInChild(const Options& options, int fitEdge, std::FILE* out, std::FILE* err, ImportedScan& scan,
                   std::string& error) {
    ImportRequest request{options, fitEdge};
    request.options.list = false;
    ImportAnswer answer;
    if (!askReader(request, out, err, answer, error)) return false;
    if (answer.kind == ImportAnswer::Kind::Read)
        return fitScan(options, fitEdge, answer.read, err, scan, error);
    if (answer.kind != ImportAnswer::Kind::Imported) {
        error = options.inputPath + ": the reader process answered with no scan";
        return false;
    }
    scan = std::move(answer.scan);
    return true;
}

bool listInChild(const Options& options, std::FILE* out, std::FILE* err, std::string& error) {
    ImportRequest request{options, options.fit};
    request.options.list = true;
    ImportAnswer answer;
    if (!askReader(request, out, err, answer, error)) return false;
    if (answer.kind == ImportAnswer::Kind::Listed) return true;
    error = options.inputPath + ": the reader process answered with no list";
    return false;
}

int serveRequest(const ImportRequest& request, const platform::ParentLink& link) {
    platform::ParentLink announced = link;
    setReadWatcher(&tellParent, &announced);
    const Options& options = request.options;
    ReadScan read;
    ImportedScan scan;
    std::string error;
    bool ok = false;
    bool fitted = false;
    try {
        if (options.list) {
            ok = listSeriesHere(options, stdout, stderr, error);
        } else if (readScanHere(options, stdout, stderr, read, error)) {
            // Samples kept as read cross over as read; the parent fits them.
            fitted = !options.keepSamples && !smallerThanFitted(options, request.fitEdge, read.scan);
            ok = !fitted || fitScan(options, request.fitEdge, read, stderr, scan, error);
        }
    } catch (const std::bad_alloc&) {
        error = options.inputPath + ": out of memory";
        ok = false;
    }
    setReadWatcher(nullptr, nullptr);
    bool sent;
    if (!ok) {
        sent = sendRefusal(link, error);
    } else if (options.list) {
        sent = sendListed(link);
    } else {
        sent = fitted ? sendScan(link, scan) : sendReadScan(link, read);
    }
    return sent ? 0 : 1;
}

void setReaderFaultForTests(ReaderFault fault) { readerFault = fault; }

}  // namespace scan
