#include "tests/common/png_image.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>

RgbImage RgbImage::crop(int x, int y, int w, int h) const {
    RgbImage part;
    part.width = w;
    part.height = h;
    part.pixels.resize(static_cast<size_t>(w) * h * 3);
    for (int row = 0; row < h; ++row)
        for (int i = 0; i < w * 3; ++i)
            part.pixels[(static_cast<size_t>(row) * w) * 3 + i] =
                pixels[(static_cast<size_t>(y + row) * width + x) * 3 + i];
    return part;
}

bool readPng(const std::string& path, RgbImage& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
    png.format = PNG_FORMAT_RGB;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.pixels.resize(PNG_IMAGE_SIZE(png));
    const bool ok = png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr) != 0;
    png_image_free(&png);
    return ok;
}

bool writePng(const std::string& path, const RgbImage& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&png, path.c_str(), 0, image.pixels.data(), 0, nullptr) != 0;
}

int countDifferentPixels(const RgbImage& a, const RgbImage& b, int channelTolerance, int skipWidth,
                         int skipHeight) {
    if (a.width != b.width || a.height != b.height) return -1;
    int different = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = y < skipHeight ? skipWidth : 0; x < a.width; ++x) {
            const size_t i = (static_cast<size_t>(y) * a.width + x) * 3;
            for (int c = 0; c < 3; ++c)
                if (std::abs(a.pixels[i + c] - b.pixels[i + c]) > channelTolerance) {
                    ++different;
                    break;
                }
        }
    return different;
}
