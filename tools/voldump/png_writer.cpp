#include "tools/voldump/png_writer.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace voldump {

bool writePng(const std::string& path, int width, int height, PngKind kind, const uint8_t* pixels,
              bool overwrite, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), overwrite ? "wb" : "wbx");
    if (file == nullptr) {
        error = path + ": cannot create (" + std::strerror(errno) + ")";
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        error = path + ": cannot encode PNG";
        return false;
    }
    const int channels = kind == PngKind::gray ? 1 : kind == PngKind::rgb ? 3 : 4;
    const int colorType = kind == PngKind::gray  ? PNG_COLOR_TYPE_GRAY
                          : kind == PngKind::rgb ? PNG_COLOR_TYPE_RGB
                                                 : PNG_COLOR_TYPE_RGBA;
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int row = 0; row < height; ++row) {
        png_write_row(png, pixels + static_cast<std::size_t>(row) * width * channels);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0) {
        error = path + ": write failed";
        return false;
    }
    return true;
}

}  // namespace voldump
