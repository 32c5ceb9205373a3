// PNG encoding with stb_image_write: one small writer that every host has.
#include "support/png_writer.h"

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace support {
namespace {

void appendToVector(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

bool encodePng(int width, int height, PngKind kind, const uint8_t* pixels, std::vector<uint8_t>& out,
               bool bottomRowFirst) {
    out.clear();
    if (width <= 0 || height <= 0 || pixels == nullptr) return false;
    stbi_flip_vertically_on_write(bottomRowFirst ? 1 : 0);
    const int channels = kind == PngKind::gray ? 1 : kind == PngKind::rgb ? 3 : 4;
    return stbi_write_png_to_func(appendToVector, &out, width, height, channels, pixels, width * channels) !=
               0 &&
           !out.empty();
}

}  // namespace support
