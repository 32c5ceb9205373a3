#include "scan/dicom_series.h"

#include <gdcmDicts.h>
#include <gdcmGlobal.h>
#include <gdcmImage.h>
#include <gdcmImageReader.h>
#include <gdcmPixelFormat.h>
#include <gdcmReader.h>
#include <gdcmSequenceOfItems.h>
#include <gdcmStringFilter.h>
#include <gdcmTrace.h>
#include <gdcmTransferSyntax.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <system_error>

#include "scan/dicom_frames.h"
#include "scan/dicom_structure.h"
#include "scan/progress_bar.h"
#include "scan/read_watch.h"
#include "scan/slice_stack.h"

namespace scan {
namespace {

namespace fs = std::filesystem;

const gdcm::Tag kSeriesUid(0x0020, 0x000e);
const gdcm::Tag kDescription(0x0008, 0x103e);
const gdcm::Tag kModality(0x0008, 0x0060);
const gdcm::Tag kPosition(0x0020, 0x0032);
const gdcm::Tag kOrientation(0x0020, 0x0037);
const gdcm::Tag kPixelSpacing(0x0028, 0x0030);
const gdcm::Tag kRows(0x0028, 0x0010);
const gdcm::Tag kColumns(0x0028, 0x0011);
const gdcm::Tag kFrames(0x0028, 0x0008);
const gdcm::Tag kSamplesPerPixel(0x0028, 0x0002);
const gdcm::Tag kBitsAllocated(0x0028, 0x0100);
const gdcm::Tag kBitsStored(0x0028, 0x0101);
const gdcm::Tag kHighBit(0x0028, 0x0102);
const gdcm::Tag kSlope(0x0028, 0x1053);
const gdcm::Tag kIntercept(0x0028, 0x1052);
const gdcm::Tag kPixelData(0x7fe0, 0x0010);

// Whether every public element of `data` and its sequences states a value
// representation its dictionary entry allows: GDCM's image reader stops the
// process on one that does not.
bool representationsAgree(const gdcm::DataSet& data, int depth, std::string& why) {
    static const gdcm::Dicts& dicts = gdcm::Global::GetInstance().GetDicts();
    for (const gdcm::DataElement& element : data.GetDES()) {
        const gdcm::Tag& tag = element.GetTag();
        const gdcm::VR stated = element.GetVR();
        const gdcm::VR expected =
            tag.IsPrivate() ? gdcm::VR(gdcm::VR::INVALID) : dicts.GetDictEntry(tag).GetVR();
        if (stated != gdcm::VR::INVALID && expected != gdcm::VR::INVALID && !expected.Compatible(stated)) {
            char name[16];
            std::snprintf(name, sizeof name, "(%04x,%04x)", tag.GetGroup(), tag.GetElement());
            why = std::string("a damaged DICOM file: element ") + name + " is stated as " +
                  gdcm::VR::GetVRString(stated) + ", not " + gdcm::VR::GetVRString(expected);
            return false;
        }
        if (stated != gdcm::VR::SQ || depth > 16) continue;
        const gdcm::SmartPointer<gdcm::SequenceOfItems> items = element.GetValueAsSQ();
        for (gdcm::SequenceOfItems::SizeType i = 1; items && i <= items->GetNumberOfItems(); ++i) {
            if (!representationsAgree(items->GetItem(i).GetNestedDataSet(), depth + 1, why)) return false;
        }
    }
    return true;
}

struct FileHeader {
    std::string uid, description, modality;
    std::vector<FrameHeader> frames;  // one for a classic image
};

// The header of one file; false, with `why`, when it is no DICOM image.
bool readHeader(const std::string& path, FileHeader& out, std::string& why) {
    announceRead(path);
    std::string damage;
    if (!checkDicomStructure(path, false, damage)) {
        why = "not a DICOM file, or a damaged one: " + damage;
        return false;
    }
    gdcm::Reader reader;
    reader.SetFileName(path.c_str());
    // GDCM reads the element it stops at; its value is left for the image reader.
    if (!reader.ReadUpToTag(kPixelData, {kPixelData})) {
        why = "not a DICOM file";
        return false;
    }
    const gdcm::DataSet& data = reader.GetFile().GetDataSet();
    if (!representationsAgree(data, 0, why)) return false;
    gdcm::StringFilter strings;
    strings.SetFile(reader.GetFile());
    auto text = [&](const gdcm::Tag& tag) {
        return data.FindDataElement(tag) ? trimmedText(strings.ToString(tag)) : std::string();
    };
    out.uid = text(kSeriesUid);
    if (out.uid.empty()) {
        why = "a DICOM file without a series (no image)";
        return false;
    }
    out.description = text(kDescription);
    out.modality = text(kModality);
    const int rows = std::atoi(text(kRows).c_str());
    const int columns = std::atoi(text(kColumns).c_str());
    if (rows <= 0 || columns <= 0) {
        why = "a DICOM file without an image";
        return false;
    }
    // GDCM's image reader stops the process on these rather than refusing.
    const std::string samples = text(kSamplesPerPixel), allocated = text(kBitsAllocated);
    const std::string stored = text(kBitsStored), highBit = text(kHighBit);
    if ((!samples.empty() && samples != "1" && samples != "3" && samples != "4") ||
        (!stored.empty() && !allocated.empty() && std::atoi(stored.c_str()) > std::atoi(allocated.c_str())) ||
        (!highBit.empty() && !stored.empty() && std::atoi(highBit.c_str()) >= std::atoi(stored.c_str()))) {
        why = "a damaged DICOM file: SamplesPerPixel " + samples + ", BitsAllocated " + allocated +
              ", BitsStored " + stored + " and HighBit " + highBit + " do not fit together";
        return false;
    }
    const std::string slopeText = text(kSlope);
    double slope = 1.0;
    if (!slopeText.empty() && (!parseNumbers(slopeText, 1, &slope) || slope == 0.0)) {
        why = "a damaged DICOM file: RescaleSlope \"" + slopeText + "\"";
        return false;
    }
    // GDCM takes a missing slope beside an intercept for 0 and stops the process.
    if (slopeText.empty() && !text(kIntercept).empty()) {
        why = "a damaged DICOM file: a RescaleIntercept without a RescaleSlope";
        return false;
    }
    const std::string frames = text(kFrames);
    if (!readFrameGroups(data, path, rows, columns, out.frames, why)) return false;
    if (!out.frames.empty() || (!frames.empty() && std::atoi(frames.c_str()) != 1)) {
        if (out.frames.empty() || static_cast<std::size_t>(std::atoi(frames.c_str())) != out.frames.size()) {
            why = "a multi-frame image (NumberOfFrames " + (frames.empty() ? "missing" : frames) + ", " +
                  std::to_string(out.frames.size()) + " per-frame groups) without a position for each frame";
            return false;
        }
        return true;
    }
    out.frames.resize(1);
    SliceHeader& slice = out.frames[0].slice;
    slice.file = path;
    slice.rows = rows;
    slice.columns = columns;
    if (!parseNumbers(text(kPosition), 3, slice.position) ||
        !parseNumbers(text(kOrientation), 6, slice.orientation)) {
        why = "a DICOM image without ImagePositionPatient and ImageOrientationPatient";
        return false;
    }
    if (!parseNumbers(text(kPixelSpacing), 2, slice.pixelSpacing)) {
        why = "a DICOM image without PixelSpacing";
        return false;
    }
    return true;
}

// A frame of a file and where its modality values go.
struct FrameTarget {
    std::size_t frame;
    const FrameHeader* header;
    float* out;
};

// The modality values of the `targets` frames of one file.
bool readPixels(const std::string& path, int columns, int rows, const std::vector<FrameTarget>& targets,
                std::string& error) {
    announceRead(path);
    std::string damage;
    if (!checkDicomStructure(path, true, damage)) {
        error = path + ": a damaged DICOM file: " + damage;
        return false;
    }
    gdcm::ImageReader reader;
    reader.SetFileName(path.c_str());
    if (!reader.Read()) {
        error = path + ": GDCM cannot read its image";
        return false;
    }
    const gdcm::Image& image = reader.GetImage();
    const gdcm::PixelFormat format = image.GetPixelFormat();
    if (format.GetSamplesPerPixel() != 1) {
        error = path + ": a colour image; only grey images can be read";
        return false;
    }
    // GDCM aborts on a sample size it does not know (in GetScalarType, which
    // the buffer's length asks for); only these sizes are ever read here.
    const unsigned short bitsAllocated = format.GetBitsAllocated();
    if (bitsAllocated != 8 && bitsAllocated != 16 && bitsAllocated != 32 && bitsAllocated != 64) {
        error = path + ": unsupported pixel format (" + std::to_string(bitsAllocated) + " bits a sample)";
        return false;
    }
    if (image.GetDimension(0) != static_cast<unsigned>(columns) ||
        image.GetDimension(1) != static_cast<unsigned>(rows)) {
        error = path + ": the image's size differs from its header";
        return false;
    }
    const std::size_t frames = image.GetNumberOfDimensions() > 2 ? image.GetDimension(2) : 1;
    for (const FrameTarget& target : targets) {
        if (target.frame >= frames) {
            error = path + ": holds " + std::to_string(frames) + " frames, fewer than its header describes";
            return false;
        }
    }
    const gdcm::ByteValue* stored = image.GetDataElement().GetByteValue();
    if (!image.GetTransferSyntax().IsEncapsulated() &&
        (stored == nullptr || stored->GetLength() < image.GetBufferLength())) {
        error = path + ": the pixel data is shorter than the image";
        return false;
    }
    std::vector<char> buffer(image.GetBufferLength());
    if (!image.GetBuffer(buffer.data())) {
        const gdcm::TransferSyntax syntax = reader.GetFile().GetHeader().GetDataSetTransferSyntax();
        const char* name = gdcm::TransferSyntax::GetTSString(syntax);
        error = path + ": GDCM cannot decode its pixel data (transfer syntax " +
                std::string(name != nullptr ? name : "unknown") + ")";
        return false;
    }
    const std::size_t count = static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
    auto convert = [&](auto sample) {
        using T = decltype(sample);
        if (buffer.size() < frames * count * sizeof(T)) return false;
        for (const FrameTarget& target : targets) {
            const bool own = target.header->rescaleGiven;
            const double slope = own ? target.header->slope : image.GetSlope();
            const double intercept = own ? target.header->intercept : image.GetIntercept();
            const char* from = buffer.data() + target.frame * count * sizeof(T);
            for (std::size_t i = 0; i < count; ++i) {
                T v;
                std::memcpy(&v, from + i * sizeof(T), sizeof(T));
                target.out[i] = static_cast<float>(static_cast<double>(v) * slope + intercept);
            }
        }
        return true;
    };
    bool ok = false;
    switch (format.GetScalarType()) {
    case gdcm::PixelFormat::UINT8:
        ok = convert(uint8_t{});
        break;
    case gdcm::PixelFormat::INT8:
        ok = convert(int8_t{});
        break;
    case gdcm::PixelFormat::UINT16:
        ok = convert(uint16_t{});
        break;
    case gdcm::PixelFormat::INT16:
        ok = convert(int16_t{});
        break;
    case gdcm::PixelFormat::UINT32:
        ok = convert(uint32_t{});
        break;
    case gdcm::PixelFormat::INT32:
        ok = convert(int32_t{});
        break;
    case gdcm::PixelFormat::FLOAT32:
        ok = convert(float{});
        break;
    case gdcm::PixelFormat::FLOAT64:
        ok = convert(double{});
        break;
    default:
        error = path + ": unsupported pixel format";
        return false;
    }
    if (!ok) error = path + ": the pixel data is shorter than the image";
    return ok;
}

}  // namespace

bool dicomAvailable() { return true; }

bool findSeries(const std::string& folder, std::vector<SeriesSummary>& out, std::FILE* notes,
                std::string& error) {
    gdcm::Trace::WarningOff();  // faults are reported here, naming the file
    std::error_code code;
    if (!fs::is_directory(folder, code)) {
        error = "not a folder";
        return false;
    }
    std::vector<std::string> files;
    for (fs::recursive_directory_iterator it(folder, code), end; !code && it != end; it.increment(code)) {
        if (it->is_regular_file(code)) files.push_back(it->path().string());
    }
    if (code) {
        error = "cannot list the folder (" + code.message() + ")";
        return false;
    }
    std::sort(files.begin(), files.end());
    std::map<std::string, SeriesSummary> byUid;
    ProgressBar bar(stderr, "reading headers", files.size());
    std::size_t done = 0;
    for (const std::string& file : files) {
        bar.update(++done);
        FileHeader header;
        std::string why;
        if (!readHeader(file, header, why)) {
            std::fprintf(notes, "volimport: %s: skipped: %s\n", file.c_str(), why.c_str());
            continue;
        }
        SeriesSummary& series = byUid[header.uid];
        series.uid = header.uid;
        if (series.files.empty()) {
            series.description = header.description;
            series.modality = header.modality;
            series.columns = header.frames[0].slice.columns;
            series.rows = header.frames[0].slice.rows;
        }
        series.files.push_back(file);
        series.slices += header.frames.size();
    }
    if (byUid.empty()) {
        error = "holds no DICOM image" + std::string(files.empty() ? " (the folder is empty)" : "");
        return false;
    }
    out.clear();
    for (auto& entry : byUid) out.push_back(std::move(entry.second));
    std::stable_sort(out.begin(), out.end(),
                     [](const SeriesSummary& a, const SeriesSummary& b) { return a.slices > b.slices; });
    return true;
}

bool readSeries(const SeriesSummary& series, RealVolume& out, std::FILE* progress, std::string& error) {
    std::vector<FileHeader> headers(series.files.size());
    std::vector<SliceHeader> slices;
    std::vector<std::pair<std::size_t, std::size_t>> sliceFrames;  // file and frame of each slice
    for (std::size_t i = 0; i < series.files.size(); ++i) {
        std::string why;
        if (!readHeader(series.files[i], headers[i], why)) {
            error = series.files[i] + ": " + why;
            return false;
        }
        for (std::size_t f = 0; f < headers[i].frames.size(); ++f) {
            slices.push_back(headers[i].frames[f].slice);
            sliceFrames.emplace_back(i, f);
        }
    }
    SliceStack stack;
    if (!stackSlices(slices, stack, error)) return false;
    std::copy(stack.dims, stack.dims + 3, out.dims);
    std::copy(stack.spacing, stack.spacing + 3, out.spacing);
    for (int a = 0; a < 3; ++a) std::copy(stack.axes[a], stack.axes[a] + 3, out.axes[a]);
    std::copy(stack.origin, stack.origin + 3, out.origin);
    out.oriented = true;
    out.hounsfield = series.modality == "CT";
    const std::size_t slice =
        static_cast<std::size_t>(stack.dims[0]) * static_cast<std::size_t>(stack.dims[1]);
    out.values.assign(slice * static_cast<std::size_t>(stack.dims[2]), 0.0f);
    std::vector<std::vector<FrameTarget>> targets(series.files.size());
    std::vector<std::size_t> fileOrder;  // from the file of the lowest slice
    for (std::size_t z = 0; z < stack.order.size(); ++z) {
        const auto [file, frame] = sliceFrames[stack.order[z]];
        if (targets[file].empty()) fileOrder.push_back(file);
        targets[file].push_back({frame, &headers[file].frames[frame], out.values.data() + z * slice});
    }
    ProgressBar bar(progress, "reading slices", fileOrder.size());
    for (std::size_t i = 0; i < fileOrder.size(); ++i) {
        bar.update(i);
        const std::size_t file = fileOrder[i];
        if (!readPixels(series.files[file], stack.dims[0], stack.dims[1], targets[file], error)) return false;
    }
    out.source = "DICOM series " + series.uid + (series.modality.empty() ? "" : ", " + series.modality);
    return true;
}

}  // namespace scan
