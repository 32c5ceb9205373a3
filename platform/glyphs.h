// Font glyphs with GDI's meaning: a font is created by face name and height,
// selected into a device context, and asked per character code for metrics
// and an 8-bit coverage bitmap. Pairs with gl_context.h (device contexts).
#pragma once

#include <cstdint>

#include "platform/gl_context.h"

namespace platform {

struct Font;

struct POINT {
    int32_t x = 0;
    int32_t y = 0;
};

struct GLYPHMETRICS {
    uint32_t gmBlackBoxX = 0;  // black-box width in pixels
    uint32_t gmBlackBoxY = 0;  // black-box height in pixels
    POINT gmptGlyphOrigin;     // upper-left corner of the box from the pen, y up
    int16_t gmCellIncX = 0;    // advance in pixels
    int16_t gmCellIncY = 0;
};

struct FIXED {
    uint16_t fract = 0;
    int16_t value = 0;
};

struct MAT2 {
    FIXED eM11, eM12, eM21, eM22;
};

namespace win {
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;
constexpr unsigned ANSI_CHARSET = 0;
constexpr unsigned OUT_TT_PRECIS = 4;
constexpr unsigned CLIP_DEFAULT_PRECIS = 0;
constexpr unsigned ANTIALIASED_QUALITY = 4;
constexpr unsigned GGO_METRICS = 0;
constexpr unsigned GGO_GRAY8_BITMAP = 6;
constexpr uint32_t GDI_ERROR = 0xFFFFFFFFu;
}  // namespace win

// Creates a font: a positive height is the character cell height in pixels
// (ascent plus descent), a negative one the em height. Weight 400 is normal,
// 700 bold; antialiased selects coverage bitmaps. The face name goes through
// the host's font matching ("Arial" finds a metric-compatible face). Null,
// with an error naming the face, when nothing usable is installed.
Font* createFont(int height, int weight, bool italic, bool antialiased, const char* face);

// The file of the face the font uses; on Windows, where GDI keeps files to
// itself, the name of the face it picked ("" for none).
const char* fontFile(const Font* font);

// Selects the font into the device context for getGlyphOutline; returns false
// when the device context is null, or the font is (which deselects).
bool selectFont(HDC dc, Font* font);

// Releases a font; it must no longer be selected anywhere.
void deleteFont(Font* font);

// GDI's GetGlyphOutline for the font selected into dc and the identity
// transformation. GGO_METRICS fills metrics and returns 0 (buffer unused).
// GGO_GRAY8_BITMAP fills metrics and returns the bitmap size in bytes; with a
// buffer of at least that size it also writes the bitmap: gmBlackBoxY rows,
// top row first, one byte per pixel with levels 0 to 64, rows padded to a
// multiple of 4 bytes. A glyph without pixels (the space) returns 0 and
// reports a 1 x 1 black box. GDI_ERROR on any failure.
uint32_t getGlyphOutline(HDC dc, unsigned code, unsigned format, GLYPHMETRICS* metrics, uint32_t bufferSize,
                         void* buffer, const MAT2* transform);

}  // namespace platform
