#include "tests/common/png_image.h"

// stb's reader and writer: header-only, and already the previews' writer.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#include <stb_image.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

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
    unsigned char* rgb = stbi_load(path.c_str(), &image.width, &image.height, nullptr, 3);
    if (rgb == nullptr) return false;
    image.pixels.assign(rgb, rgb + static_cast<size_t>(image.width) * image.height * 3);
    stbi_image_free(rgb);
    return true;
}

bool writePng(const std::string& path, const RgbImage& image) {
    return stbi_write_png(path.c_str(), image.width, image.height, 3, image.pixels.data(), image.width * 3) !=
           0;
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
