// Draws short lines of text into the current OpenGL context: every printable
// ASCII glyph of a 12-pixel Arial-like face becomes a mipmapped alpha texture
// and a display list that draws it and advances the pen.
#pragma once

#include <GL/gl.h>

#include "platform/glyphs.h"

// Makes a glyph texture from an edge x edge alpha image, bound to
// GL_TEXTURE_2D: clamped, trilinear, with every mipmap level.
GLuint makeGlyphTextureImage(int edge, const unsigned char* image);

class TextureFont {
public:
    // Creates the font (height as GDI takes it, negated here), reads the
    // metrics and builds textures and lists in the current context.
    TextureFont(int height, int weight, platform::HDC dc);
    virtual ~TextureFont();

    TextureFont(const TextureFont&) = delete;
    TextureFont& operator=(const TextureFont&) = delete;

    // Formats printf-style and draws the text from the current modelview
    // position. Only the first 255 bytes are drawn; bytes outside 32 to 127
    // draw nothing and do not move the pen.
    void print(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // For tests and callers that lay out text.
    const platform::GLYPHMETRICS& metrics(unsigned char code) const { return glyphMetrics[code]; }
    GLuint texture(unsigned char code) const { return glyphTextures[code]; }
    GLuint firstList() const { return listBase; }

private:
    void buildDisplayLists();
    GLuint makeGlyphTexture(int code, int& edge);

    platform::GLYPHMETRICS glyphMetrics[256] = {};
    GLuint listBase = 0;
    GLuint glyphTextures[256] = {};
    platform::HDC dc_ = nullptr;
    platform::Font* font_ = nullptr;
};
