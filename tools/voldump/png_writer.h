// Minimal PNG output for previews.
#pragma once

#include <cstdint>
#include <string>

namespace voldump {

enum class PngKind { gray, rgb, rgba };

// Writes width x height pixels (rows top first, tightly packed). Fails
// rather than replacing an existing file unless `overwrite` is set.
bool writePng(const std::string& path, int width, int height, PngKind kind, const uint8_t* pixels,
              bool overwrite, std::string& error);

}  // namespace voldump
