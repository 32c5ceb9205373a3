#include "scan/dicom_frames.h"

#include <gdcmSequenceOfItems.h>

#include <cstdlib>
#include <sstream>

namespace scan {
namespace {

const gdcm::Tag kSharedGroups(0x5200, 0x9229);
const gdcm::Tag kPerFrameGroups(0x5200, 0x9230);
const gdcm::Tag kPlanePosition(0x0020, 0x9113);
const gdcm::Tag kPlaneOrientation(0x0020, 0x9116);
const gdcm::Tag kPixelMeasures(0x0028, 0x9110);
const gdcm::Tag kValueTransformation(0x0028, 0x9145);
const gdcm::Tag kPosition(0x0020, 0x0032);
const gdcm::Tag kOrientation(0x0020, 0x0037);
const gdcm::Tag kPixelSpacing(0x0028, 0x0030);
const gdcm::Tag kIntercept(0x0028, 0x1052);
const gdcm::Tag kSlope(0x0028, 0x1053);

// The first item of sequence `tag` in `data`; null when there is none.
const gdcm::DataSet* firstItem(const gdcm::DataSet& data, const gdcm::Tag& tag,
                               gdcm::SmartPointer<gdcm::SequenceOfItems>& keep) {
    if (!data.FindDataElement(tag)) return nullptr;
    keep = data.GetDataElement(tag).GetValueAsSQ();
    if (!keep || keep->GetNumberOfItems() == 0) return nullptr;
    return &keep->GetItem(1).GetNestedDataSet();
}

// `tag` within the group `macro`, from the frame's groups, else the shared ones.
std::string groupText(const gdcm::DataSet* const groups[2], const gdcm::Tag& macro, const gdcm::Tag& tag) {
    for (int g = 0; g < 2; ++g) {
        gdcm::SmartPointer<gdcm::SequenceOfItems> keep;
        const gdcm::DataSet* item = groups[g] != nullptr ? firstItem(*groups[g], macro, keep) : nullptr;
        if (item == nullptr || !item->FindDataElement(tag)) continue;
        const gdcm::ByteValue* value = item->GetDataElement(tag).GetByteValue();
        if (value != nullptr) return trimmedText(std::string(value->GetPointer(), value->GetLength()));
    }
    return std::string();
}

}  // namespace

std::string trimmedText(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
    while (!text.empty() && text.front() == ' ') text.erase(text.begin());
    return text;
}

bool parseNumbers(const std::string& text, int count, double* out) {
    std::stringstream stream(text);
    std::string item;
    int n = 0;
    while (std::getline(stream, item, '\\')) {
        if (n >= count) return false;
        char* end = nullptr;
        item = trimmedText(item);
        out[n] = std::strtod(item.c_str(), &end);
        if (item.empty() || *end != '\0') return false;
        ++n;
    }
    return n == count;
}

bool readFrameGroups(const gdcm::DataSet& data, const std::string& path, int rows, int columns,
                     std::vector<FrameHeader>& out, std::string& why) {
    out.clear();
    if (!data.FindDataElement(kPerFrameGroups)) return true;
    gdcm::SmartPointer<gdcm::SequenceOfItems> perFrame = data.GetDataElement(kPerFrameGroups).GetValueAsSQ();
    gdcm::SmartPointer<gdcm::SequenceOfItems> keepShared;
    const gdcm::DataSet* shared = firstItem(data, kSharedGroups, keepShared);
    const std::size_t count = perFrame ? perFrame->GetNumberOfItems() : 0;
    out.resize(count);
    for (std::size_t f = 0; f < count; ++f) {
        const gdcm::DataSet* const groups[2] = {&perFrame->GetItem(f + 1).GetNestedDataSet(), shared};
        FrameHeader& frame = out[f];
        SliceHeader& slice = frame.slice;
        slice.file = path + " frame " + std::to_string(f + 1);
        slice.rows = rows;
        slice.columns = columns;
        if (!parseNumbers(groupText(groups, kPlanePosition, kPosition), 3, slice.position) ||
            !parseNumbers(groupText(groups, kPlaneOrientation, kOrientation), 6, slice.orientation) ||
            !parseNumbers(groupText(groups, kPixelMeasures, kPixelSpacing), 2, slice.pixelSpacing)) {
            why = "frame " + std::to_string(f + 1) +
                  " of a multi-frame image lacks its position, orientation or pixel spacing";
            return false;
        }
        const std::string slope = groupText(groups, kValueTransformation, kSlope);
        const std::string intercept = groupText(groups, kValueTransformation, kIntercept);
        frame.rescaleGiven = !slope.empty() || !intercept.empty();
        // Both or neither: GDCM takes a missing slope for 0 and stops the process.
        if (frame.rescaleGiven && (!parseNumbers(slope, 1, &frame.slope) ||
                                   !parseNumbers(intercept, 1, &frame.intercept) || frame.slope == 0.0)) {
            why = "frame " + std::to_string(f + 1) + " of a multi-frame image has a malformed rescale";
            return false;
        }
    }
    return true;
}

}  // namespace scan
