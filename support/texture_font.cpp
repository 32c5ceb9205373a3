#include "support/texture_font.h"

#include <GL/glu.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/platform.h"

using namespace platform::win;

namespace {

constexpr int firstCode = 32;
constexpr int lastCode = 127;
constexpr int listCount = lastCode - firstCode + 1;

platform::MAT2 identity() {
    platform::MAT2 m;
    m.eM11.value = 1;
    m.eM22.value = 1;
    return m;
}

}  // namespace

TextureFont::TextureFont(int height, int weight, platform::HDC dc) : dc_(dc) {
    font_ = platform::createFont(-height, weight, false, true, "Arial");
    if (!platform::selectFont(dc, font_))
        platform::messageBox(nullptr, "Window Creation Error.", "ERROR", MB_ICONWARNING);
    const platform::MAT2 m = identity();
    for (int code = 0; code <= lastCode; ++code) {
        if (platform::getGlyphOutline(dc, code, GGO_METRICS, &glyphMetrics[code], 0, nullptr, &m) ==
            GDI_ERROR)
            platform::messageBox(nullptr, "Window Creation Error.", "ERROR", MB_ICONWARNING);
    }
    buildDisplayLists();
}

TextureFont::~TextureFont() {
    glDeleteLists(listBase, listCount);
    platform::selectFont(dc_, nullptr);
    platform::deleteFont(font_);
}

GLuint TextureFont::makeGlyphTexture(int code, int& edge) {
    const platform::MAT2 m = identity();
    platform::GLYPHMETRICS gm;
    const uint32_t size = platform::getGlyphOutline(dc_, code, GGO_GRAY8_BITMAP, &gm, 0, nullptr, &m);
    edge = 8;
    if (size == GDI_ERROR) {
        platform::messageBox(nullptr, "TREFFER", "TextureFont", MB_OK);
        return 0;
    }
    std::vector<unsigned char> bitmap(size + 10);
    if (size > 0 && platform::getGlyphOutline(dc_, code, GGO_GRAY8_BITMAP, &gm, size + 10, bitmap.data(),
                                              &m) == GDI_ERROR) {
        platform::messageBox(nullptr, "TREFFER", "TextureFont", MB_OK);
        return 0;
    }
    const unsigned bw = gm.gmBlackBoxX, bh = gm.gmBlackBoxY;
    int e = 4;
    do {
        e *= 2;
    } while (static_cast<unsigned>(e) < bw || static_cast<unsigned>(e) < bh);
    edge = e;
    std::vector<unsigned char> image(static_cast<size_t>(e) * e, 0);
    if (size > 0) {
        const unsigned pitch = (bw + 3) & ~3u;
        for (unsigned row = 0; row < bh; ++row)
            for (unsigned x = 0; x < pitch && x < static_cast<unsigned>(e); ++x) {
                const unsigned char v = bitmap[row * pitch + x];
                image[row * e + x] = v == 0 ? 0 : static_cast<unsigned char>(4 * v - 1);
            }
    }
    return makeGlyphTextureImage(e, image.data());
}

GLuint makeGlyphTextureImage(int edge, const unsigned char* image) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_ALPHA8, edge, edge, GL_ALPHA, GL_UNSIGNED_BYTE, image);
    return name;
}

void TextureFont::buildDisplayLists() {
    int edges[256] = {};
    for (int c = firstCode; c <= lastCode; ++c) glyphTextures[c] = makeGlyphTexture(c, edges[c]);
    listBase = glGenLists(listCount);
    for (int c = firstCode; c <= lastCode; ++c) {
        const platform::GLYPHMETRICS& gm = glyphMetrics[c];
        const int bw = static_cast<int>(gm.gmBlackBoxX), bh = static_cast<int>(gm.gmBlackBoxY);
        const int ox = gm.gmptGlyphOrigin.x, oy = gm.gmptGlyphOrigin.y;
        const float s = static_cast<float>(bw) / edges[c];
        const float t = static_cast<float>(bh) / edges[c];
        glNewList(listBase + c - firstCode, GL_COMPILE);
        glBindTexture(GL_TEXTURE_2D, glyphTextures[c]);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex3f(static_cast<float>(ox), static_cast<float>(-oy), -0.5f);
        glTexCoord2f(0, t);
        glVertex3f(static_cast<float>(ox), static_cast<float>(bh - oy), -0.5f);
        glTexCoord2f(s, t);
        glVertex3f(static_cast<float>(ox + bw), static_cast<float>(bh - oy), -0.5f);
        glTexCoord2f(s, 0);
        glVertex3f(static_cast<float>(ox + bw), static_cast<float>(-oy), -0.5f);
        glEnd();
        glTranslatef(static_cast<float>(gm.gmCellIncX), 0, 0);
        glEndList();
    }
}

void TextureFont::print(const char* format, ...) {
    if (!format) return;
    char text[256];
    va_list args;
    va_start(args, format);
    // Bounded: longer text is cut at 255 bytes instead of overrunning.
    const int written = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (written <= 0) return;
    // Bytes outside the font's lists are dropped rather than calling lists
    // that belong to someone else.
    unsigned char drawn[256];
    int count = 0;
    for (const char* p = text; *p; ++p) {
        const unsigned char b = static_cast<unsigned char>(*p);
        if (b >= firstCode && b <= lastCode) drawn[count++] = b;
    }
    glPushAttrib(GL_LIST_BIT);
    glListBase(listBase - firstCode);
    glCallLists(count, GL_UNSIGNED_BYTE, drawn);
    glPopAttrib();
}
