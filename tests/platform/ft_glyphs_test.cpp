// The glyph service: "Arial" at a 12-pixel cell, GDI-shaped answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/glyphs.h"
#include "platform/platform.h"

using namespace platform;
using namespace platform::win;

namespace {

intptr_t proc(Window* w, unsigned m, uintptr_t wp, intptr_t lp) { return defWindowProc(w, m, wp, lp); }

class GlyphTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(init(Backend::null));
        ASSERT_TRUE(registerClass({"test", 0, proc}));
        dc = getDC(createWindow("test", "test", 0, 0, 0, 100, 100));
        font = createFont(12, FW_NORMAL, false, true, "Arial");
        ASSERT_NE(font, nullptr);
        ASSERT_TRUE(selectFont(dc, font));
        identity.eM11.value = identity.eM22.value = 1;
    }
    void TearDown() override {
        selectFont(dc, nullptr);
        deleteFont(font);
        terminate();
    }

    HDC dc = nullptr;
    Font* font = nullptr;
    MAT2 identity;
};

TEST_F(GlyphTest, ArialResolvesToAMetricCompatibleFace) {
    EXPECT_NE(std::string(fontFile(font)).find("LiberationSans"), std::string::npos)
        << fontFile(font);
}

TEST_F(GlyphTest, MetricsAreSaneAndAgreeWithTheBitmaps) {
    struct Case {
        char code;
        unsigned minWidth, maxWidth, minHeight, maxHeight;
        int minAdvance, maxAdvance;
        bool pixels;
    };
    const Case cases[] = {
        {'F', 4, 8, 7, 10, 5, 8, true},
        {'S', 5, 9, 7, 11, 5, 9, true},
        {'.', 1, 3, 1, 3, 2, 4, true},
        {' ', 1, 1, 1, 1, 2, 4, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("code '") + c.code + "'");
        GLYPHMETRICS metrics, bitmapMetrics;
        ASSERT_EQ(getGlyphOutline(dc, c.code, GGO_METRICS, &metrics, 0, nullptr, &identity), 0u);
        EXPECT_GE(metrics.gmBlackBoxX, c.minWidth);
        EXPECT_LE(metrics.gmBlackBoxX, c.maxWidth);
        EXPECT_GE(metrics.gmBlackBoxY, c.minHeight);
        EXPECT_LE(metrics.gmBlackBoxY, c.maxHeight);
        EXPECT_GE(metrics.gmCellIncX, c.minAdvance);
        EXPECT_LE(metrics.gmCellIncX, c.maxAdvance);
        const uint32_t size = getGlyphOutline(dc, c.code, GGO_GRAY8_BITMAP, &bitmapMetrics, 0,
                                              nullptr, &identity);
        ASSERT_NE(size, GDI_ERROR);
        EXPECT_EQ(bitmapMetrics.gmBlackBoxX, metrics.gmBlackBoxX);
        EXPECT_EQ(bitmapMetrics.gmBlackBoxY, metrics.gmBlackBoxY);
        if (!c.pixels) {
            EXPECT_EQ(size, 0u);
            continue;
        }
        // Letters and the point sit on the baseline.
        EXPECT_EQ(metrics.gmptGlyphOrigin.y, static_cast<int>(metrics.gmBlackBoxY));
        const unsigned pitch = (metrics.gmBlackBoxX + 3) & ~3u;
        ASSERT_EQ(size, pitch * metrics.gmBlackBoxY);
        std::vector<unsigned char> bitmap(size + 10, 0xEE);
        ASSERT_EQ(getGlyphOutline(dc, c.code, GGO_GRAY8_BITMAP, &bitmapMetrics, size + 10,
                                  bitmap.data(), &identity),
                  size);
        EXPECT_EQ(bitmap[size], 0xEE) << "wrote past the bitmap";
        // Every row and column of the black box has ink; the padding has none.
        std::vector<bool> rowInk(metrics.gmBlackBoxY), columnInk(metrics.gmBlackBoxX);
        int darkest = 0;
        for (unsigned y = 0; y < metrics.gmBlackBoxY; ++y)
            for (unsigned x = 0; x < pitch; ++x) {
                const unsigned char v = bitmap[y * pitch + x];
                ASSERT_LE(v, 64);
                if (x >= metrics.gmBlackBoxX) {
                    EXPECT_EQ(v, 0);
                } else if (v > 0) {
                    rowInk[y] = columnInk[x] = true;
                    darkest = std::max<int>(darkest, v);
                }
            }
        EXPECT_EQ(std::count(rowInk.begin(), rowInk.end(), false), 0);
        EXPECT_EQ(std::count(columnInk.begin(), columnInk.end(), false), 0);
        EXPECT_GE(darkest, 48) << "a stem should be (nearly) fully covered";
    }
}

TEST_F(GlyphTest, BadRequestsGiveTheErrorValue) {
    GLYPHMETRICS metrics;
    std::vector<unsigned char> small(2);
    MAT2 scaled = identity;
    scaled.eM11.value = 2;
    EXPECT_EQ(getGlyphOutline(dc, 'F', GGO_GRAY8_BITMAP, &metrics, 2, small.data(), &identity),
              GDI_ERROR);
    EXPECT_EQ(getGlyphOutline(dc, 'F', 99, &metrics, 0, nullptr, &identity), GDI_ERROR);
    EXPECT_EQ(getGlyphOutline(dc, 'F', GGO_METRICS, &metrics, 0, nullptr, &scaled), GDI_ERROR);
    EXPECT_EQ(getGlyphOutline(dc, 256, GGO_METRICS, &metrics, 0, nullptr, &identity), GDI_ERROR);
    selectFont(dc, nullptr);
    EXPECT_EQ(getGlyphOutline(dc, 'F', GGO_METRICS, &metrics, 0, nullptr, &identity), GDI_ERROR);
}

TEST(Glyphs, FontWithoutHeightOrFaceIsRefused) {
    ErrorSink previous = setErrorSink([](const char*) {});
    EXPECT_EQ(createFont(0, FW_NORMAL, false, true, "Arial"), nullptr);
    EXPECT_EQ(createFont(12, FW_NORMAL, false, true, ""), nullptr);
    EXPECT_NE(std::string(lastError()).find("FreeType: "), std::string::npos);
    setErrorSink(previous);
}

}  // namespace
