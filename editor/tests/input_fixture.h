// A shown editor for the input tests: a TThaimemo attached to a 600 x 400 host window, keys
// typed on its keyboard sink, pixels read from the host's backing image.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QString>
#include <QTest>
#include <memory>
#include <string>

#include "editor/thaimemo.h"
#include "platform/qt_host.h"
#include "script/customthai.h"
#include "testing/bytes.h"
#include "testing/host_paint.h"

namespace input_test {

using testbytes::Bytes;
using testbytes::Hex;

class InputTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CreateGlyphImages(); }

    void SetUp() override {
        host = std::make_unique<platform::ThaiHost>();
        host->resize(600, 400);
        host->show();
        QApplication::processEvents();
        memo = std::make_unique<TThaimemo>();
        memo->Attach(host.get());
        testhost::PaintPending(*host);
        ASSERT_NE(memo->tcm, nullptr);
        ASSERT_GT(memo->ColCount, 20);
        ASSERT_GT(memo->RowCount, 3);
    }

    void TearDown() override {
        memo.reset();
        host.reset();
    }

    // Latin keys, one key click per character, as the physical keyboard sends them.
    void Type(const char* keys) { QTest::keyClicks(memo->tcm, QString::fromLatin1(keys)); }
    void Key(Qt::Key key) { QTest::keyClick(memo->tcm, key); }
    // Characters as a keyboard with the system's Thai layout sends them: each key event carries
    // the Thai character as its text (QTest::keyClicks only carries Latin-1).
    void TypeUnicode(const QString& text) {
        for (QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, memo->tcm, static_cast<Qt::Key>(ch.unicode()), QString(ch),
                                Qt::NoModifier);
    }

    std::string Line(int i) const { return i < memo->LineCount() ? memo->Lines[i] : std::string("<no line>"); }

    QImage Pixels() const { return host->BackingImage(); }
    static platform::Color At(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }

    // Number of pixels of colour c in the grid cell (view column, view row).
    int CountInCell(int col, int row, platform::Color c) const {
        const QImage img = Pixels();
        int n = 0;
        for (int y = row * memo->RowHeight; y < (row + 1) * memo->RowHeight; ++y)
            for (int x = col * memo->CellWidth; x < (col + 1) * memo->CellWidth; ++x)
                if (At(img, x, y) == c) ++n;
        return n;
    }

    // Number of pixels in the cell that are not background white.
    int CountNonWhite(int col, int row) const {
        return memo->CellWidth * memo->RowHeight - CountInCell(col, row, platform::clWhite);
    }

    // True when the cell (view column, view row) shows glyph image `index` on colour `bk` in its
    // base band, drawn from the glyph images made for graphics size g (12 x 16 times the set the
    // list picks, each of their pixels repeated g / set times).
    ::testing::AssertionResult ShowsGlyph(int col, int row, int index, platform::Color bk) const {
        platform::Bitmap expected;
        const int g = memo->Graphicsize;
        const int set = GlyphImages->DetailFor(g);
        GlyphImages->GetBitmap(index, expected, bk, set);
        const QImage img = Pixels();
        const int left = col * memo->CellWidth;
        const int top = row * memo->RowHeight + memo->BaseLevel;
        for (int y = 0; y < 16 * g; ++y)
            for (int x = 0; x < 12 * g; ++x)
                if (At(img, left + x, top + y) != expected.Pixel(x * set / g, y * set / g))
                    return ::testing::AssertionFailure()
                           << "glyph " << index << " differs at (" << x << ", " << y << ") of cell " << col << ","
                           << row;
        return ::testing::AssertionSuccess();
    }

    std::unique_ptr<platform::ThaiHost> host;
    std::unique_ptr<TThaimemo> memo;
};

}  // namespace input_test
