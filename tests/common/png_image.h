// Test support: RGB images in PNG files, and comparison with a tolerance.
#pragma once

#include <string>
#include <vector>

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;  // top row first, 3 bytes per pixel

    // The part of the image at (x, y) of the given size.
    RgbImage crop(int x, int y, int w, int h) const;
};

bool readPng(const std::string& path, RgbImage& image);
bool writePng(const std::string& path, const RgbImage& image);

// Pixels whose channels differ by more than `channelTolerance`, leaving out
// the top-left corner of skipWidth x skipHeight; -1 when the sizes differ.
int countDifferentPixels(const RgbImage& a, const RgbImage& b, int channelTolerance, int skipWidth = 0,
                         int skipHeight = 0);
