#include "app/screenshot.h"

#include <GL/gl.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/file_output.h"
#include "support/png_writer.h"

namespace app {
namespace {

constexpr int kLastNumber = 9999;

}  // namespace

std::string screenshotName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "volview-%04d.png", number);
    return name;
}

std::string saveScreenshot(std::string& error) {
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int width = viewport[2], height = viewport[3];
    if (width <= 0 || height <= 0) {
        error = "the window has no area";
        return "";
    }
    const std::size_t row = static_cast<std::size_t>(width) * 3;
    std::vector<uint8_t> pixels(row * static_cast<std::size_t>(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(viewport[0], viewport[1], width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    // GL reads the bottom row first.
    std::vector<uint8_t> png;
    if (!support::encodePng(width, height, support::PngKind::rgb, pixels.data(), png, true)) {
        error = "cannot encode the picture";
        return "";
    }
    for (int number = 1; number <= kLastNumber; ++number) {
        const std::string name = screenshotName(number);
        if (platform::pathExists(name)) continue;
        // The write refuses a file that appeared meanwhile; then try the next.
        if (platform::writeFileAtomically(name, png.data(), png.size(), false, error)) return name;
        if (!platform::pathExists(name)) return "";
    }
    error = "volview-0001.png to " + screenshotName(kLastNumber) + " all exist";
    return "";
}

}  // namespace app
