// The editor at the edges of a line and of the view, through keys, the mouse and the pixels: a
// line that starts with marks, the mark rule at the left edge of a scrolled view, and typing past
// the right edge.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "editor/tests/keys_mouse_fixture.h"
#include "platform/qt_surface.h"
#include "script/thai.h"
#include "testing/bytes.h"

namespace keystest {
namespace {

using testbytes::Hex;

// One cell of `text`, drawn alone by the cell renderer at graphics size 1 on white.
QImage ReferenceCell(const std::string& text) {
    QImage image(12, 32, QImage::Format_RGB32);
    platform::ImageSurface s(&image);
    TCustomthai ref;
    ref.SetCanvasMetrics(s, 1);
    s.SetFillColor(platform::clWhite);
    int i = 1;
    ref.DrawCell(s, text, i);
    s.Flush();
    return image;
}

void Type(MemoView& v, const char* keys) {
    QTest::keyClicks(v->tcm, QString::fromLatin1(keys));
    v.Settle();
}

TEST(EdgesTest, ALineThatStartsWithMarksShowsThemAsACellOfTheirOwn) {
    MemoView v;
    v->SetThaiKeyboard(true);
    Type(v, "bdf");  // sara i in column 0, then ko kai and do dek
    ASSERT_EQ(Hex(v->Lines[0]), Hex("\xD4\xA1\xB4"));
    EXPECT_EQ(v->CursorCol, 3);
    // As typed, and as a repaint draws it: the mark in column 0, each letter in the next.
    for (bool repainted : {false, true}) {
        SCOPED_TRACE(repainted);
        const QImage image = repainted ? v.FullRepaint() : v.Image();
        EXPECT_TRUE(image.copy(0, 0, 12, 32) == ReferenceCell("\xD4"));
        EXPECT_TRUE(image.copy(12, 0, 12, 32) == ReferenceCell("\xA1"));
        EXPECT_TRUE(image.copy(24, 0, 12, 32) == ReferenceCell("\xB4"));
    }
    EXPECT_TRUE(v.CellInked(0, 0));

    // The mouse and the selection find the cells where they are drawn.
    v.Press(Qt::LeftButton, 0, 1);
    v.Release(Qt::LeftButton, 0, 1);
    EXPECT_EQ(v->CursorCol, 1);
    v.Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(Hex(v->SelectedText()), Hex("\xA1"));
    EXPECT_FALSE(v.CellHighlighted(0, 0));
    EXPECT_TRUE(v.CellHighlighted(0, 1));
    EXPECT_FALSE(v.CellHighlighted(0, 2));
    // Delete in column 0 removes the mark.
    v.Key(Qt::Key_Home);
    v.Key(Qt::Key_Delete);
    EXPECT_EQ(Hex(v->Lines[0]), Hex("\xA1\xB4"));

    // A file whose line starts with two marks.
    QTemporaryDir dir;
    QFile f(QDir(dir.path()).filePath("marks.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\xD4\xE8\xA1\r\n");
    f.close();
    v->LoadFile(f.fileName().toStdString());
    v.Key(Qt::Key_End);  // the caret out of the way
    EXPECT_EQ(v->CursorCol, 2);
    const QImage image = v.Image();
    EXPECT_TRUE(image.copy(0, 0, 12, 32) == ReferenceCell("\xD4\xE8"));
    EXPECT_TRUE(image.copy(12, 0, 12, 32) == ReferenceCell("\xA1"));
}

TEST(EdgesTest, AtTheLeftEdgeOfAScrolledViewAMarkFollowsTheMarkRule) {
    MemoView v;
    v->SetThaiKeyboard(true);
    std::string line = std::string(40, 'a') + std::string(40, '\xA1');
    v.SetText({line});
    for (int col : {23, 50}) {
        // The cursor in the leftmost visible column of a view scrolled to the right.
        v->SetCursor(0, col + v->ColCount + 5);
        v->SetCursor(0, col);
        ASSERT_EQ(v->LeftCol, col);
        Type(v, "j");  // mai ek
        EXPECT_EQ(v->CursorCol, col);
        if (col < 40) {
            EXPECT_EQ(Hex(v->Lines[0]), Hex(line)) << "mai ek after a Latin letter is refused";
        } else {
            line.insert(static_cast<size_t>(col), 1, '\xE8');  // it joins the letter before it
            EXPECT_EQ(Hex(v->Lines[0]), Hex(line));
        }
    }
}

TEST(EdgesTest, TypingPastTheRightEdgeScrollsTheScreen) {
    MemoView v;
    const int cols = v->ColCount;
    for (int k = 0; k < cols + 4; ++k) {
        const char key[2] = {static_cast<char>('a' + k % 26), 0};
        Type(v, key);
        if (k >= cols - 2) {
            ASSERT_NO_FATAL_FAILURE(EXPECT_SAME_AS_FULL_REPAINT(v)) << "after key " << k;
        }
    }
    EXPECT_EQ(v->LeftCol, 5);
    EXPECT_EQ(v.Host().ScrollPos(platform::ScrollBar::Horizontal), 5 * v->CellWidth);
    // The last cell typed stands left of the cursor at the right edge.
    EXPECT_TRUE(v.CellImage(0, cols - 2) ==
                ReferenceCell(std::string(1, static_cast<char>('a' + (cols + 3) % 26))));
}

}  // namespace
}  // namespace keystest
