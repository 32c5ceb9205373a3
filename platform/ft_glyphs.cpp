// The glyph service on FreeType and fontconfig: faces are found by name the
// way the desktop finds them (so "Arial" gives its metric-compatible
// replacement) and rasterised into GDI-shaped metrics and coverage bitmaps.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <cstring>
#include <string>

#include "platform/internal.h"

namespace platform {

using namespace win;

struct Font {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    bool antialiased = true;
    std::string file;
};

namespace {

// The file fontconfig picks for a face name, weight and slant; "" when none.
std::string matchFace(const char* face, int weight, bool italic, int& index) {
    std::string file;
    if (!FcInit()) return file;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(face));
    if (!pattern) return file;
    FcPatternAddInteger(pattern, FC_WEIGHT, weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* path = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
        file = reinterpret_cast<const char*>(path);
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
    }
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return file;
}

// Pixels per em for a GDI height: positive means the cell (the Windows
// ascent plus descent), negative the em itself.
unsigned pixelsPerEm(FT_Face face, int height) {
    if (height < 0) return static_cast<unsigned>(-height);
    double cell = face->ascender - face->descender;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)))
        if (os2->usWinAscent + os2->usWinDescent > 0) cell = os2->usWinAscent + os2->usWinDescent;
    if (cell <= 0) cell = face->units_per_EM;
    return static_cast<unsigned>(std::lround(height * face->units_per_EM / cell));
}

}  // namespace

Font* createFont(int height, int weight, bool italic, bool antialiased, const char* face) {
    if (!face || !*face || height == 0) {
        reportError("FreeType", "A font needs a face name and a non-zero height");
        return nullptr;
    }
    int index = 0;
    const std::string file = matchFace(face, weight, italic, index);
    if (file.empty()) {
        reportError("Fontconfig", "No installed font matches \"%s\"", face);
        return nullptr;
    }
    auto font = std::make_unique<Font>();
    font->antialiased = antialiased;
    font->file = file;
    if (FT_Init_FreeType(&font->library)) {
        reportError("FreeType", "Failed to initialise the library");
        return nullptr;
    }
    if (FT_New_Face(font->library, file.c_str(), index, &font->face)) {
        reportError("FreeType", "Failed to load \"%s\" for \"%s\"", file.c_str(), face);
        FT_Done_FreeType(font->library);
        return nullptr;
    }
    if (FT_Set_Pixel_Sizes(font->face, 0, pixelsPerEm(font->face, height))) {
        reportError("FreeType", "\"%s\" cannot be scaled to height %d", file.c_str(), height);
        FT_Done_Face(font->face);
        FT_Done_FreeType(font->library);
        return nullptr;
    }
    return font.release();
}

const char* fontFile(const Font* font) { return font ? font->file.c_str() : ""; }

void deleteFont(Font* font) {
    if (!font) return;
    FT_Done_Face(font->face);
    FT_Done_FreeType(font->library);
    delete font;
}

uint32_t getGlyphOutline(HDC dc, unsigned code, unsigned format, GLYPHMETRICS* metrics, uint32_t bufferSize,
                         void* buffer, const MAT2* transform) {
    if (!glyphRequestSupported(dc, code, format, metrics, transform)) return GDI_ERROR;
    Font& font = *dc->font;
    // Character codes are Latin-1, which the ANSI code page agrees with here.
    const FT_UInt index = FT_Get_Char_Index(font.face, code);
    const FT_Int32 load = font.antialiased ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO;
    if (FT_Load_Glyph(font.face, index, FT_LOAD_DEFAULT | load)) return GDI_ERROR;
    FT_GlyphSlot slot = font.face->glyph;
    if (FT_Render_Glyph(slot, font.antialiased ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO))
        return GDI_ERROR;
    const FT_Bitmap& bitmap = slot->bitmap;
    const bool empty = bitmap.width == 0 || bitmap.rows == 0;
    // Like GDI, a glyph without pixels reports a 1 x 1 box.
    metrics->gmBlackBoxX = empty ? 1 : bitmap.width;
    metrics->gmBlackBoxY = empty ? 1 : bitmap.rows;
    metrics->gmptGlyphOrigin.x = empty ? 0 : slot->bitmap_left;
    metrics->gmptGlyphOrigin.y = empty ? 0 : slot->bitmap_top;
    metrics->gmCellIncX = static_cast<int16_t>((slot->advance.x + 32) >> 6);
    metrics->gmCellIncY = 0;
    if (format == GGO_METRICS) return 0;
    if (empty) return 0;
    const uint32_t pitch = (bitmap.width + 3) & ~3u;
    const uint32_t size = pitch * bitmap.rows;
    if (!buffer || bufferSize == 0) return size;
    if (bufferSize < size) return GDI_ERROR;
    auto* out = static_cast<unsigned char*>(buffer);
    std::memset(out, 0, size);
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        const unsigned char* in = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
        for (unsigned x = 0; x < bitmap.width; ++x) {
            unsigned level;
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
                level = (in[x >> 3] & (0x80 >> (x & 7))) ? 64 : 0;
            else
                level = (in[x] * 64u + 127u) / 255u;  // 0..255 to GDI's 0..64
            out[row * pitch + x] = static_cast<unsigned char>(level);
        }
    }
    return size;
}

}  // namespace platform
