// Thai words drawn by a text control with the program's own glyph strips at sizes 1 to 3: marks
// stay clear of each other and of their letter, lower vowels sit under their letter. With
// MEKALON_RENDER_PNG set to a folder, each view is also saved there as a PNG to look at.
#include <QDir>
#include <cstdlib>

#include "editor/tests/paint_fixture.h"
#include "script/customthai.h"

namespace painttest {
namespace {

const std::vector<std::string> kWords = {
    "\xB7\xD5\xE8\xBC\xD9\xE9\xE3\xCB\xAD\xE8\xBA\xE9\xD2\xB9",  // ที่ผู้ใหญ่บ้าน
    "\xB9\xE9\xD3 \xBB\xD9\xE8 \xA1\xAE\xCB\xC1\xD2\xC2",        // น้ำ ปู่ กฎหมาย
    "\xBB\xD5\xE8 \xBD\xD5\xE8 \xBF\xD4\xE8\xB9 \xA1\xD4\xE8\xA7 \xE0\xA1\xE7\xB5",  // ปี่ ฝี่ ฟิ่น กิ่ง เก็ต
    "\xA4\xD8\xB3 \xB5\xD9\xE9 \xAE\xD8 \xAD\xD8 Thai *",       // คุณ ตู้ ฎุ ญุ
};

// The rows of one view cell that hold ink (any non-white pixel), between `top` and `bottom`.
struct InkRows {
    int first = -1, last = -1;
    int left = 1 << 20, right = -1;
};

class RealGlyphsTest : public PaintTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        platform::ImageList* saved = GlyphImages;
        GlyphImages = nullptr;
        CreateGlyphImages();
        real_.reset(GlyphImages);
        GlyphImages = saved;
    }

    InkRows Ink(int col, int row, int top, int bottom) {
        InkRows ink;
        const int g = GetParam(), x0 = col * 12 * g, y0 = row * 32 * g;
        for (int y = y0 + top; y < y0 + bottom; ++y)
            for (int x = x0; x < x0 + 12 * g; ++x)
                if (At(x, y) != clWhite) {
                    if (ink.first < 0) ink.first = y - y0;
                    ink.last = y - y0;
                    ink.left = std::min(ink.left, x - x0);
                    ink.right = std::max(ink.right, x - x0);
                }
        return ink;
    }

    std::unique_ptr<platform::ImageList> real_;
};

TEST_P(RealGlyphsTest, MarksStayClearOfEachOtherAndLowerVowelsSitUnderTheirLetter) {
    const int g = GetParam();
    auto copy = std::make_unique<platform::ImageList>();
    copy->Assign(*real_);
    Open(26 * g, 4 * g, 5, std::move(copy));  // 26 x 4 cells at size g
    list_->SetGraphicsize(g);
    list_->Lines.Assign(kWords);
    list_->ResetView();
    list_->HideCaret();
    if (const char* dir = std::getenv("MEKALON_RENDER_PNG"))
        Image().save(QDir(dir).filePath(QStringLiteral("thai_size%1.png").arg(g)));

    // Tone over an upper vowel (ที่ in row 0, ปี่ ฝี่ ฟิ่ น กิ่ง in row 2): a blank row between them.
    for (auto [col, row] : {std::pair{0, 0}, {0, 2}, {2, 2}, {4, 2}, {7, 2}}) {
        const InkRows tone = Ink(col, row, 0, 5 * g), vowel = Ink(col, row, 5 * g, 10 * g);
        ASSERT_GE(tone.first, 0) << col << "," << row;
        ASSERT_GE(vowel.first, 0) << col << "," << row;
        EXPECT_LT(tone.last + 1, vowel.first) << "tone touches the vowel in cell " << col << "," << row;
    }
    // Lower vowels (ผู้, ปู่, คุ, ตู้, ฎุ, ญุ) have ink in the lower band, within their letter's columns.
    for (auto [col, row] : {std::pair{1, 0}, {3, 1}, {0, 3}, {3, 3}, {5, 3}, {7, 3}}) {
        const InkRows lower = Ink(col, row, 27 * g, 32 * g), base = Ink(col, row, 10 * g, 26 * g);
        ASSERT_GE(lower.first, 0) << col << "," << row;
        ASSERT_GE(base.first, 0) << col << "," << row;
        EXPECT_GE(lower.left, base.left) << col << "," << row;
        EXPECT_LE(lower.right, base.right) << col << "," << row;
    }
    // A tone without an upper vowel sits in the band right above the letter: น้, ผู้, ปู่, ญ่.
    for (auto [col, row] : {std::pair{0, 1}, {1, 0}, {3, 1}, {4, 0}}) {
        EXPECT_LT(Ink(col, row, 0, 5 * g).first, 0) << col << "," << row;
        EXPECT_GE(Ink(col, row, 5 * g, 10 * g).first, 0) << col << "," << row;
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, RealGlyphsTest, ::testing::Values(1, 2, 3));

}  // namespace
}  // namespace painttest
