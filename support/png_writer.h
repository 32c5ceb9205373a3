// Minimal PNG encoding: the previews of voldump and the viewer's screenshots.
#pragma once

#include <cstdint>
#include <vector>

namespace support {

enum class PngKind { gray, rgb, rgba };

// Encodes width x height pixels (tightly packed, rows top first unless
// `bottomRowFirst`, as GL reads them) as a PNG file image; false when
// encoding fails.
bool encodePng(int width, int height, PngKind kind, const uint8_t* pixels, std::vector<uint8_t>& png,
               bool bottomRowFirst = false);

}  // namespace support
