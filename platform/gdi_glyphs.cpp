// The glyph service on GDI: CreateFont finds the face by name and
// GetGlyphOutline rasterises it, in a memory device context of the font's own.
#include <memory>
#include <string>
#include <vector>

#include "platform/win32_platform.h"

namespace platform {

struct Font {
    HFONT handle = nullptr;
    ::HDC dc = nullptr;  // a memory DC with the font selected
    bool antialiased = true;
    std::string face;
};

namespace {

void copyMetrics(const ::GLYPHMETRICS& in, GLYPHMETRICS& out) {
    out.gmBlackBoxX = in.gmBlackBoxX;
    out.gmBlackBoxY = in.gmBlackBoxY;
    out.gmptGlyphOrigin.x = in.gmptGlyphOrigin.x;
    out.gmptGlyphOrigin.y = in.gmptGlyphOrigin.y;
    out.gmCellIncX = in.gmCellIncX;
    out.gmCellIncY = in.gmCellIncY;
}

}  // namespace

Font* createFont(int height, int weight, bool italic, bool antialiased, const char* face) {
    if (!face || !*face || height == 0) {
        reportError("GDI", "A font needs a face name and a non-zero height");
        return nullptr;
    }
    auto font = std::make_unique<Font>();
    font->antialiased = antialiased;
    font->handle = CreateFontA(
        height, 0, 0, 0, weight, italic, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
        antialiased ? ANTIALIASED_QUALITY : NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
    font->dc = CreateCompatibleDC(nullptr);
    char picked[LF_FACESIZE] = "";
    if (!font->handle || !font->dc || !SelectObject(font->dc, font->handle) ||
        !GetTextFaceA(font->dc, sizeof picked, picked)) {
        reportError("GDI", "No installed font matches \"%s\"", face);
        if (font->dc) DeleteDC(font->dc);
        if (font->handle) DeleteObject(font->handle);
        return nullptr;
    }
    font->face = picked;
    return font.release();
}

const char* fontFile(const Font* font) { return font ? font->face.c_str() : ""; }

void deleteFont(Font* font) {
    if (!font) return;
    DeleteDC(font->dc);
    DeleteObject(font->handle);
    delete font;
}

uint32_t getGlyphOutline(HDC dc, unsigned code, unsigned format, GLYPHMETRICS* metrics, uint32_t bufferSize,
                         void* buffer, const MAT2* transform) {
    if (!glyphRequestSupported(dc, code, format, metrics, transform)) return GDI_ERROR;
    const Font& font = *dc->font;
    const ::MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    ::GLYPHMETRICS gm{};
    // A font without antialiasing gives GDI's one-bit bitmap, widened to 0 or 64.
    const UINT asked = format == GGO_METRICS ? GGO_METRICS : font.antialiased ? GGO_GRAY8_BITMAP : GGO_BITMAP;
    const DWORD size = GetGlyphOutlineA(font.dc, code, asked, &gm, 0, nullptr, &identity);
    if (size == GDI_ERROR) return GDI_ERROR;
    copyMetrics(gm, *metrics);
    if (format == GGO_METRICS || size == 0) return 0;
    const uint32_t pitch = (gm.gmBlackBoxX + 3) & ~3u;
    const uint32_t needed = pitch * gm.gmBlackBoxY;
    if (!buffer || bufferSize == 0) return needed;
    if (bufferSize < needed) return GDI_ERROR;
    if (asked == GGO_GRAY8_BITMAP)
        return GetGlyphOutlineA(font.dc, code, asked, &gm, bufferSize, buffer, &identity) == GDI_ERROR
                   ? GDI_ERROR
                   : needed;
    std::vector<unsigned char> bits(size);
    if (GetGlyphOutlineA(font.dc, code, asked, &gm, size, bits.data(), &identity) == GDI_ERROR)
        return GDI_ERROR;
    const uint32_t bitPitch = ((gm.gmBlackBoxX + 31) / 32) * 4;
    auto* out = static_cast<unsigned char*>(buffer);
    for (uint32_t row = 0; row < gm.gmBlackBoxY; ++row)
        for (uint32_t x = 0; x < pitch; ++x)
            out[row * pitch + x] =
                x < gm.gmBlackBoxX && (bits[row * bitPitch + x / 8] & (0x80 >> (x % 8))) ? 64 : 0;
    return needed;
}

}  // namespace platform
