#include "tools/voldump/png_writer.h"

#include <png.h>

namespace voldump {
namespace {

void appendToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void noFlush(png_structp) {}

}  // namespace

bool encodePng(int width, int height, PngKind kind, const uint8_t* pixels, std::vector<uint8_t>& out) {
    out.clear();
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    const int channels = kind == PngKind::gray ? 1 : kind == PngKind::rgb ? 3 : 4;
    const int colorType = kind == PngKind::gray  ? PNG_COLOR_TYPE_GRAY
                          : kind == PngKind::rgb ? PNG_COLOR_TYPE_RGB
                                                 : PNG_COLOR_TYPE_RGBA;
    png_set_write_fn(png, &out, appendToVector, noFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int row = 0; row < height; ++row) {
        png_write_row(png, pixels + static_cast<std::size_t>(row) * width * channels);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace voldump
