// What the input field shows and how it sizes itself: setting the text, the second line and the
// band before it, clearing, mouse clicks, automatic height, graphics sizes, the font, a wider
// field and a repaint from the state.
#include <QEvent>

#include "inputfield/tests/field_fixture.h"
#include "platform/types.h"

namespace field_test {
namespace {

using DisplayTest = FieldTest;
using platform::clBlack;
using platform::clWhite;
using platform::clYellow;

TEST_F(DisplayTest, SettingTheTextPutsTheCursorBehindItWithoutAChange) {
    field->SetText(Bytes({0xA1, 0xE8, 0xD2, 'a'}));
    EXPECT_EQ(field->CursorCol, 3);
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(ShowsLine(field->Text(), clWhite));
    EXPECT_EQ(UnderlinedColumn(), 3);
    // A shorter text leaves nothing of the longer one on the screen.
    field->SetText("b");
    EXPECT_TRUE(ShowsLine("b", clWhite));
    EXPECT_EQ(UnderlinedColumn(), 1);
}

TEST_F(DisplayTest, FirstSecondLineMakesTheFieldTwoLinesHigh) {
    field->SetText("top");
    field->SetText2(Bytes({0xA1, 0xD2, 'x'}));
    EXPECT_TRUE(field->TwoLine);
    EXPECT_EQ(field->height(), 2 * 32 + 8);
    EXPECT_EQ(resizes, 1);
    EXPECT_EQ(changes, 0);
    const QImage img = Pixels();
    ASSERT_EQ(img.height(), 72);
    // The band between the lines has the control's colour.
    for (int y = 32; y < 40; ++y)
        for (int x = 0; x < img.width(); x += 7) ASSERT_EQ(At(img, x, y), field->ControlColor()) << x << "," << y;
    EXPECT_TRUE(ShowsLine("top", clWhite));
    EXPECT_TRUE(ShowsLine(field->Text2(), clWhite, 40));

    // Later assignments only redraw line 2.
    field->SetText2("z");
    EXPECT_EQ(field->height(), 72);
    EXPECT_EQ(resizes, 1);
    EXPECT_TRUE(ShowsLine("z", clWhite, 40));
    EXPECT_TRUE(ShowsLine("top", clWhite));
    // Line 2 carries no cursor and takes no typing.
    Type("s");
    EXPECT_EQ(field->Text2(), "z");
    EXPECT_EQ(field->Text(), "tops");
}

TEST_F(DisplayTest, ClearEmptiesBothLinesWithoutAChange) {
    field->SetText("abc");
    field->SetText2("def");
    field->Clear();
    EXPECT_EQ(field->Text(), "");
    EXPECT_EQ(field->Text2(), "");
    EXPECT_EQ(field->CursorCol, 0);
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(field->TwoLine);  // two lines for good
    EXPECT_EQ(field->height(), 72);
    EXPECT_TRUE(ShowsLine("", clWhite));
    EXPECT_TRUE(ShowsLine("", clWhite, 40));
    EXPECT_EQ(UnderlinedColumn(), 0);
}

TEST_F(DisplayTest, ClickPlacesTheCursorAlsoBeyondTheText) {
    field->SetText("a");
    ClickField(Qt::LeftButton, Qt::NoModifier, QPoint(field->CellWidth * 5 / 2, 10));
    EXPECT_EQ(field->CursorCol, 2);
    EXPECT_EQ(UnderlinedColumn(), 2);
    EXPECT_EQ(field->Text(), "a");
    Type("b");  // the gap is filled with spaces
    EXPECT_EQ(field->Text(), "a b");
    EXPECT_EQ(field->CursorCol, 3);
    EXPECT_TRUE(ShowsLine("a b", clWhite));

    // Any button moves the cursor.
    ClickField(Qt::RightButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(field->CursorCol, 0);
    EXPECT_EQ(changes, 1);
}

TEST_F(DisplayTest, ClickOnTheSecondLineDoesNothing) {
    field->SetText("abc");
    field->SetText2("second");
    field->SetThaiOnAZ(true);
    Type("k");
    const QImage before = Pixels();
    ClickField(Qt::LeftButton, Qt::NoModifier, QPoint(5, 50));
    EXPECT_EQ(field->CursorCol, 3);
    EXPECT_EQ(field->PendingLetter, 'K');  // not even the offer is withdrawn
    EXPECT_EQ(Pixels(), before);
}

TEST_F(DisplayTest, ClickWithdrawsAnOffer) {
    field->SetThaiOnAZ(true);
    Type("k");
    ClickField(Qt::LeftButton, Qt::NoModifier, QPoint(field->CellWidth * 3 + 1, 5));
    EXPECT_EQ(field->PendingLetter, 0);
    EXPECT_EQ(field->CursorCol, 3);
    EXPECT_EQ(CountInCell(0, clYellow), 0);
}

TEST_F(DisplayTest, AutosizeFollowsTheLines) {
    field->SetAutosize(false);
    field->resize(field->width(), 50);
    EXPECT_EQ(field->height(), 50);
    const int before = resizes;
    field->SetAutosize(true);
    EXPECT_EQ(field->height(), 32);
    EXPECT_EQ(resizes, before + 1);
    field->SetText2("x");
    field->SetAutosize(false);
    field->resize(field->width(), 100);
    field->SetAutosize(true);
    EXPECT_EQ(field->height(), 72);
}

TEST_F(DisplayTest, GraphicsSizeSetsMetricsAndHeight) {
    field->SetText(Bytes({0xA1, 0xE8, 'q'}));
    const int before = resizes;
    field->SetGraphicsize(2);
    EXPECT_EQ(field->Graphicsize, 2);
    EXPECT_EQ(field->height(), 64);
    EXPECT_EQ(field->VisibleCols, 10);
    EXPECT_EQ(resizes, before + 1);
    EXPECT_TRUE(ShowsLine(field->Text(), clWhite));
    EXPECT_EQ(UnderlinedColumn(), 2);

    field->SetGraphicsize(-1);  // ignored
    EXPECT_EQ(field->Graphicsize, 2);
    EXPECT_EQ(field->height(), 64);

    // In two-line mode the height keeps room for both lines.
    field->SetText2("two");
    field->SetGraphicsize(3);
    EXPECT_EQ(field->height(), 2 * 96 + 8);
    EXPECT_TRUE(ShowsLine(field->Text(), clWhite));
    EXPECT_TRUE(ShowsLine("two", clWhite, 96 + 8));
}

TEST_F(DisplayTest, FontModeAndTheFontsWithoutThai) {
    field->SetText(Bytes({0xA1, 0xE8}));
    field->SetFont("DejaVu Sans", 21);
    EXPECT_EQ(field->Graphicsize, 0);
    EXPECT_EQ(field->height(), field->RowHeight);
    EXPECT_EQ(field->VisibleCols, 240 / field->CellWidth);
    EXPECT_GT(CountInCell(0, clBlack), 10) << "ko kai is not drawn through the font";
    // Graphics size 0 takes the control's font again.
    field->SetGraphicsize(1);
    field->SetGraphicsize(0);
    EXPECT_EQ(field->Graphicsize, 0);
    EXPECT_EQ(field->Canvas().FontName(), "DejaVu Sans");

    field->SetFont("Fixedsys", 13);
    EXPECT_EQ(field->Graphicsize, 1);
    EXPECT_EQ(field->height(), 32);
    field->SetFont("System", 13);
    EXPECT_EQ(field->Graphicsize, 1);
    EXPECT_TRUE(ShowsLine(field->Text(), clWhite));
}

TEST_F(DisplayTest, AWiderFieldShowsMoreColumns) {
    field->SetText("abcdefghijklmnopqrstuvwxyz");
    field->resize(360, field->height());
    EXPECT_EQ(field->VisibleCols, 30);
    EXPECT_EQ(Pixels().width(), 360);
    EXPECT_TRUE(ShowsLine(field->Text(), clWhite));
    // Right now stops further on.
    for (int i = 0; i < 40; ++i) Key(Qt::Key_Right);
    EXPECT_EQ(field->CursorCol, 29);
}

TEST_F(DisplayTest, RepaintFromTheStateRestoresTheField) {
    field->SetText(Bytes({'a', 0xA1, 0xD9, 0xE9}));
    field->SetText2("below");
    Key(Qt::Key_Left);
    // Scribble over the image, then let the field repaint itself.
    field->Canvas().SetFillColor(0x123456);
    field->Canvas().FillRect({0, 0, field->width(), field->height()});
    field->Canvas().SetFillColor(clWhite);
    field->Invalidate();
    field->repaint();
    EXPECT_TRUE(ShowsLine(field->Text(), clWhite));
    EXPECT_TRUE(ShowsLine("below", clWhite, 40));
    EXPECT_EQ(UnderlinedColumn(), 1);
    EXPECT_EQ(At(Pixels(), 5, 35), field->ControlColor());
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

TEST_F(DisplayTest, EveryDrawingReachesTheScreen) {
    // The paints of the field and of every widget inside it (the client area it draws on).
    PaintCounter counter;
    QList<QWidget*> widgets = field->findChildren<QWidget*>();
    widgets.append(field);
    for (QWidget* w : widgets) w->installEventFilter(&counter);
    QApplication::processEvents();
    for (const char* keys : {"a", "b", "c"}) {
        const int before = counter.paints;
        Type(keys);
        EXPECT_TRUE(QTest::qWaitFor([&] { return counter.paints > before; }, 1000)) << "typing " << keys << " was not shown";
    }
    const int before = counter.paints;
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, before) << "the field repaints without a change";
    // What the screen shows is the backing image.
    EXPECT_EQ(field->grab().toImage().convertToFormat(QImage::Format_RGB32), Pixels());
    for (QWidget* w : widgets) w->removeEventFilter(&counter);
}

TEST_F(DisplayTest, SetFocusGivesTheFocusToTheSink) {
    window->activateWindow();
    QApplication::processEvents();
    field->SetFocus();
    QApplication::processEvents();
    EXPECT_TRUE(field->tce->hasFocus());
}

}  // namespace
}  // namespace field_test
