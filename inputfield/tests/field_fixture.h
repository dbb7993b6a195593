// A shown input field for the field tests: a TThaiedit 240 pixels wide at (8, 9) of a small
// window, keys typed on its keyboard sink, pixels read from its backing image and compared with
// cells drawn by a separate TCustomthai.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QString>
#include <QTest>
#include <QWidget>
#include <memory>
#include <string>

#include "inputfield/thaiedit.h"
#include "platform/qt_surface.h"
#include "script/customthai.h"
#include "testing/bytes.h"

namespace field_test {

using testbytes::Bytes;
using testbytes::Hex;

class FieldTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CreateGlyphImages(); }

    void SetUp() override {
        window = std::make_unique<QWidget>();
        window->resize(400, 160);
        field = new TThaiedit(window.get());
        field->move(8, 9);
        field->resize(240, field->height());
        field->SetGraphicsize(1);
        field->OnChange = [this](TThaiedit& sender) {
            EXPECT_EQ(&sender, field);
            ++changes;
        };
        field->OnResize = [this](TThaiedit& sender) {
            EXPECT_EQ(&sender, field);
            ++resizes;
        };
        window->show();
        QApplication::processEvents();
        field->SetFocus();
        ASSERT_EQ(field->VisibleCols, 20);
        ASSERT_EQ(field->height(), 32);
    }

    void TearDown() override { window.reset(); }

    // Latin keys, one key click per character, as the physical keyboard sends them.
    void Type(const char* keys) { QTest::keyClicks(field->tce, QString::fromLatin1(keys)); }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(field->tce, key, mods); }
    // Bytes straight into the key-press handler, as the virtual keyboard sends them.
    void Press(std::initializer_list<unsigned char> bytes) {
        for (unsigned char b : bytes) {
            unsigned char k = b;
            field->KeyPress(k);
        }
    }
    void Down(int key, platform::ShiftState shift = {}) { field->KeyDown(key, shift); }
    // A click at a point of the field, on the widget under it (the client area the field draws on),
    // as the window system delivers it.
    void ClickField(Qt::MouseButton button, Qt::KeyboardModifiers mods, QPoint at) {
        QWidget* target = field->childAt(at);
        if (!target) target = field;
        QTest::mouseClick(target, button, mods, target->mapFrom(field, at));
    }

    QImage Pixels() const { return field->BackingImage(); }
    static platform::Color At(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }

    // The row of cells a separate renderer draws for `text` at the field's graphics size on
    // background `bk`, one cell more than the field shows.
    QImage Reference(const std::string& text, platform::Color bk) const {
        QImage img(field->width() + field->CellWidth, field->RowHeight, QImage::Format_RGB32);
        img.fill(0xFFFFFFFFu);
        platform::ImageSurface s(&img);
        TCustomthai r;
        r.SetCanvasMetrics(s, field->Graphicsize);
        s.SetFillColor(bk);
        r.DrawX = 0;
        r.DrawY = 0;
        int i = 1;
        for (int col = 0; col <= field->VisibleCols; ++col) r.DrawCell(s, text, i);
        s.Flush();
        return img;
    }

    // True when line 1 (top row of the field, or the row at `top`) shows `text` on `bk` in every
    // pixel, apart from the cursor's underline rows.
    ::testing::AssertionResult ShowsLine(const std::string& text, platform::Color bk, int top = 0) const {
        const QImage want = Reference(text, bk);
        const QImage got = Pixels();
        const int pen = field->Graphicsize >= 1 ? field->Graphicsize : 1;
        const int cursorTop = top == 0 ? field->LowerLevel - pen / 2 : -1000;
        for (int y = 0; y < field->RowHeight; ++y) {
            if (y >= cursorTop && y < cursorTop + pen) continue;
            if (top + y >= got.height()) break;
            for (int x = 0; x < got.width(); ++x)
                if (At(got, x, top + y) != At(want, x, y))
                    return ::testing::AssertionFailure() << "pixel (" << x << ", " << top + y << ") is " << std::hex
                                                         << At(got, x, top + y) << ", expected " << At(want, x, y)
                                                         << " (cell " << std::dec << x / field->CellWidth << ")";
        }
        return ::testing::AssertionSuccess();
    }

    // Whether the underline of column `col` is drawn in black across its cell.
    bool UnderlineAt(int col) const {
        const QImage img = Pixels();
        const int pen = field->Canvas().PenWidth();
        const int y = field->LowerLevel;
        if (y >= img.height()) return false;
        const int x0 = col * field->CellWidth + pen / 2;
        for (int x = x0; x < x0 + field->CellWidth - pen; ++x) {
            if (x >= img.width()) return false;
            if (At(img, x, y) != platform::clBlack) return false;
        }
        return true;
    }

    // The one column showing the underline, -1 when none, -2 when more than one does.
    int UnderlinedColumn() const {
        int found = -1;
        for (int col = 0; col <= field->VisibleCols; ++col)
            if (UnderlineAt(col)) found = found == -1 ? col : -2;
        return found;
    }

    // Pixels of colour c in cell `col` of line 1.
    int CountInCell(int col, platform::Color c, int top = 0) const {
        const QImage img = Pixels();
        int n = 0;
        for (int y = top; y < top + field->RowHeight && y < img.height(); ++y)
            for (int x = col * field->CellWidth; x < (col + 1) * field->CellWidth && x < img.width(); ++x)
                if (At(img, x, y) == c) ++n;
        return n;
    }

    std::unique_ptr<QWidget> window;
    TThaiedit* field = nullptr;  // owned by the window
    int changes = 0;
    int resizes = 0;
};

}  // namespace field_test
