// Minimal PNG encoding for previews.
#pragma once

#include <cstdint>
#include <vector>

namespace voldump {

enum class PngKind { gray, rgb, rgba };

// Encodes width x height pixels (rows top first, tightly packed) as a PNG
// file image; false when encoding fails.
bool encodePng(int width, int height, PngKind kind, const uint8_t* pixels, std::vector<uint8_t>& png);

}  // namespace voldump
