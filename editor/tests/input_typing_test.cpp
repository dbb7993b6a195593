// Typing into the editor with the English and the Thai layout, and with the system's own Thai
// keyboard: the mark rule, refused marks, padding, trailing spaces and bytes that are ignored.
#include <QInputMethodEvent>
#include <string>
#include <utility>
#include <vector>

#include "editor/tests/input_fixture.h"
#include "platform/types.h"

namespace input_test {
namespace {

using TypingTest = InputTest;

TEST_F(TypingTest, EnglishLayoutInsertsKeysAsTyped) {
    Type("dj k!");
    EXPECT_EQ(Line(0), "dj k!");
    EXPECT_EQ(memo->CursorCol, 5);
    EXPECT_EQ(memo->CursorLine, 0);
    EXPECT_TRUE(memo->Modified);
}

// Attached to another window, the control takes that window's keys and leaves the first one
// without handler or sink; deleted, it leaves its window the same way. A window that its widget
// tree deletes first leaves a control without a host, which still edits its text.
TEST_F(TypingTest, KeysFollowTheControlToItsHostAndStopWhenEitherGoes) {
    auto other = std::make_unique<platform::ThaiHost>();
    other->resize(300, 200);
    other->show();
    memo->Attach(other.get());
    EXPECT_EQ(host->Handler(), nullptr);
    EXPECT_EQ(host->Sink(), nullptr);
    ASSERT_EQ(other->Sink(), memo->tcm);
    Type("dj");
    EXPECT_EQ(Line(0), "dj");

    memo.reset();
    EXPECT_EQ(other->Handler(), nullptr);
    EXPECT_EQ(other->Sink(), nullptr);

    memo = std::make_unique<TThaimemo>();
    memo->Attach(other.get());
    other.reset();
    EXPECT_EQ(memo->Parent(), nullptr);
    EXPECT_EQ(memo->tcm, nullptr);
    unsigned char key = 'k';
    memo->KeyPress(key);
    EXPECT_EQ(Line(0), "k");
}

TEST_F(TypingTest, ThaiLayoutMapsKeysAndAttachesTheTone) {
    memo->SetThaiKeyboard(true);
    ASSERT_TRUE(memo->ThaiKeyboard);
    Type("d");
    EXPECT_EQ(memo->CursorCol, 1);
    Type("j");  // mai ek joins ko kai; the cursor stays
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xA1, 0xE8})));
    EXPECT_EQ(memo->CursorCol, 1);
    Type("k");
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xA1, 0xE8, 0xD2})));
    EXPECT_EQ(memo->CursorCol, 2);

    // Shifted keys have entries of their own; digits become Thai digits or punctuation.
    Type("#M\"");
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xA1, 0xE8, 0xD2, 0xF2, '?', '.'})));

    // The space stays a space between two characters.
    Type(" d");
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xA1, 0xE8, 0xD2, 0xF2, '?', '.', ' ', 0xA1})));
}

TEST_F(TypingTest, ThaiLayoutVowelBeforeToneOrderIsKept) {
    memo->SetThaiKeyboard(true);
    // ko kai, mai ek, then sara i: the vowel goes in front of the tone.
    Type("djb");
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xA1, 0xD4, 0xE8})));
    // sara u replaces the upper vowel and stays in front of the tone.
    Type("6");
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xA1, 0xD8, 0xE8})));
    EXPECT_EQ(memo->CursorCol, 1);
}

TEST_F(TypingTest, AttachedMarkIsDrawnAboveItsBase) {
    memo->SetThaiKeyboard(true);
    Type("d");
    // Graphics size 1: upper marks are drawn in rows 5..9 of the text row.
    auto upperBandBlack = [&] {
        const QImage img = Pixels();
        int n = 0;
        for (int y = memo->UpperLevel; y < memo->BaseLevel; ++y)
            for (int x = 0; x < memo->CellWidth; ++x)
                if (At(img, x, y) == platform::clBlack) ++n;
        return n;
    };
    EXPECT_EQ(upperBandBlack(), 0);
    Type("j");
    EXPECT_GT(upperBandBlack(), 0) << "the cell with the new tone mark was not repainted";
}

TEST_F(TypingTest, RefusedMarkChangesNothing) {
    memo->SetThaiKeyboard(true);
    Type("d");
    memo->SetThaiKeyboard(false);
    Type("a");
    memo->SetThaiKeyboard(true);
    ASSERT_EQ(Hex(Line(0)), Hex(Bytes({0xA1, 'a'})));
    memo->Modified = false;
    const QImage before = Pixels();

    Type("j");  // mai ek after a Latin letter
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xA1, 'a'})));
    EXPECT_EQ(memo->CursorCol, 2);
    EXPECT_FALSE(memo->Modified);
    EXPECT_EQ(Pixels(), before) << "a refused mark must show nothing";

    // After sara e (not a mark carrier) as well.
    Type("g");
    memo->Modified = false;
    Type("j");
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xA1, 'a', 0xE0})));
    EXPECT_EQ(memo->CursorCol, 3);
    EXPECT_FALSE(memo->Modified);
}

TEST_F(TypingTest, MarkInColumnZeroIsInsertedAsCharacter) {
    memo->SetThaiKeyboard(true);
    Type("j");  // column 0 of an empty text
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xE8})));
    EXPECT_EQ(memo->CursorCol, 1);
    // Also in front of a line's text.
    Type("d");
    memo->SetCursor(0, 0);
    Type("h");  // mai tho
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xE9, 0xE8, 0xA1})));
    EXPECT_EQ(memo->CursorCol, 1);
}

TEST_F(TypingTest, TypingPastTheLineEndPadsWithSpaces) {
    Type("ab");
    memo->SetCursor(0, 5);
    Type("x");
    EXPECT_EQ(Line(0), "ab   x");
    EXPECT_EQ(memo->CursorCol, 6);

    // A mark typed past the end joins the last padding space.
    memo->SetThaiKeyboard(true);
    memo->SetCursor(0, 8);
    Type("j");
    EXPECT_EQ(Hex(Line(0)), Hex(std::string("ab   x  ") + '\xE8'));
    EXPECT_EQ(memo->CursorCol, 8);
}

TEST_F(TypingTest, TypingBelowTheLastLineAddsLines) {
    memo->SetCursor(2, 1);
    Type("z");
    ASSERT_EQ(memo->LineCount(), 3);
    EXPECT_EQ(Line(0), "");
    EXPECT_EQ(Line(1), "");
    EXPECT_EQ(Line(2), " z");
    EXPECT_EQ(memo->CursorLine, 2);
    EXPECT_EQ(memo->CursorCol, 2);
}

TEST_F(TypingTest, TrailingSpaceOnlyMovesTheCursor) {
    Type("ab");
    memo->Modified = false;
    Type(" ");
    EXPECT_EQ(Line(0), "ab");
    EXPECT_EQ(memo->CursorCol, 3);
    Type(" ");
    EXPECT_EQ(Line(0), "ab");
    EXPECT_EQ(memo->CursorCol, 4);
    EXPECT_FALSE(memo->Modified);
    // The spaces become real when a character follows them.
    Type("c");
    EXPECT_EQ(Line(0), "ab  c");
    EXPECT_EQ(memo->CursorCol, 5);
    EXPECT_TRUE(memo->Modified);

    // A space inside the line is inserted.
    memo->SetCursor(0, 1);
    Type(" ");
    EXPECT_EQ(Line(0), "a b  c");
    EXPECT_EQ(memo->CursorCol, 2);
}

TEST_F(TypingTest, InsertingInTheMiddleShiftsTheRestAndRepaintsIt) {
    Type("ace");
    memo->SetCursor(0, 1);
    Type("b");
    EXPECT_EQ(Line(0), "abce");
    EXPECT_EQ(memo->CursorCol, 2);
    // The shifted characters are drawn in their new cells: column 3 now holds 'e' (it was
    // empty before the insertion).
    EXPECT_GT(CountNonWhite(3, 0), 0);
    EXPECT_EQ(CountNonWhite(4, 0), 0);
}

TEST_F(TypingTest, ControlAndUnassignedBytesAreIgnored) {
    Type("ab");
    memo->Modified = false;
    for (unsigned char c : {0x00, 0x08, 0x09, 0x0D, 0x1B, 0x7F, 0x80, 0x9F, 0xA0, 0xFC, 0xFF}) {
        unsigned char key = c;
        memo->KeyPress(key);
    }
    memo->SetThaiKeyboard(true);
    unsigned char del = 0x7F;  // not printable: the Thai layout is not consulted
    memo->KeyPress(del);
    EXPECT_EQ(Line(0), "ab");
    EXPECT_EQ(memo->LineCount(), 1);
    EXPECT_EQ(memo->CursorCol, 2);
    EXPECT_FALSE(memo->Modified);
}

// A character typed over a selection replaces it; a mark goes by the mark rule where the
// selection began, and when it is refused there nothing changes and the selection stays.
TEST_F(TypingTest, TypingReplacesTheSelection) {
    struct Case {
        const char* name;
        std::vector<std::string> text;
        int fromLine, fromCol, toLine, toCol;  // the selection, in the order it was made
        unsigned char key;                     // a byte as the key-press stage gets it
        std::vector<std::string> want;
        int cursorCol;  // on the selection's first line
        bool selectionStays;
    };
    const Case cases[] = {
        {"a number replaced by a letter", {"a 35.5 b"}, 0, 2, 0, 6, 'X', {"a X b"}, 3, false},
        {"selected backwards", {"a 35.5 b"}, 0, 6, 0, 2, 'X', {"a X b"}, 3, false},
        {"over a line break", {"abc", "def"}, 0, 1, 1, 2, 'x', {"axf"}, 2, false},
        {"the whole text", {"abc", "def"}, 0, 0, 2, 0, 'z', {"z"}, 1, false},
        // ko kai, then "xy" selected: mai ek joins ko kai.
        {"a mark joins the cell before", {"\xA1xy"}, 0, 1, 0, 3, 0xE8, {"\xA1\xE8"}, 1, false},
        // A mark after a Latin letter is refused: the text and the selection stay.
        {"a refused mark", {"axy"}, 0, 1, 0, 3, 0xE8, {"axy"}, 3, true},
        // With no cell before the selection the mark is inserted as a character.
        {"a mark in column 0", {"xy"}, 0, 0, 0, 2, 0xE8, {"\xE8"}, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        memo->Lines.Assign(c.text);
        memo->Modified = false;
        memo->ResetView();
        memo->SetCursor(c.fromLine, c.fromCol);
        memo->StartSelection();
        memo->SetCursor(c.toLine, c.toCol);
        memo->ExtendSelection();
        ASSERT_TRUE(memo->Selecting);
        const int anchor = memo->AnchorPos, extent = memo->ExtentPos;
        unsigned char key = c.key;
        memo->KeyPress(key);
        EXPECT_EQ(memo->Lines.All(), c.want);
        EXPECT_EQ(memo->Selecting, c.selectionStays);
        EXPECT_EQ(memo->Modified, !c.selectionStays);
        if (c.selectionStays) {
            EXPECT_EQ(std::pair(memo->AnchorPos, memo->ExtentPos), std::pair(anchor, extent));
        } else {
            EXPECT_EQ(memo->CursorLine, std::min(c.fromLine, c.toLine));
            EXPECT_EQ(memo->CursorCol, c.cursorCol);
            // No highlight is left on the screen.
            for (int col = 0; col < 8; ++col) EXPECT_EQ(CountInCell(col, 0, memo->HighLightColor), 0) << col;
        }
    }
}

TEST_F(TypingTest, SystemThaiKeyboardTypesThaiDirectly) {
    // ko kai, mai ek, sara aa, as a keyboard with the system's Thai layout sends them.
    TypeUnicode(QString::fromUtf8("ก่า"));
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xA1, 0xE8, 0xD2})));
    EXPECT_EQ(memo->CursorCol, 2);

    // Thai characters are not put through the Thai layout a second time.
    memo->SetThaiKeyboard(true);
    TypeUnicode(QString::fromUtf8("ขี้ ๑"));
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xA1, 0xE8, 0xD2, 0xA2, 0xD5, 0xE9, ' ', 0xF1})));
    EXPECT_EQ(memo->CursorCol, 5);

    // A mark right after a Latin letter is refused here too.
    memo->SetThaiKeyboard(false);
    Type("x");
    TypeUnicode(QString::fromUtf8("่"));
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xA1, 0xE8, 0xD2, 0xA2, 0xD5, 0xE9, ' ', 0xF1, 'x'})));
}

TEST_F(TypingTest, InputMethodCommitStringIsTypedCharacterByCharacter) {
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("ป่า x"));
    QApplication::sendEvent(memo->tcm, &commit);
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xBB, 0xE8, 0xD2, ' ', 'x'})));
    EXPECT_EQ(memo->CursorCol, 4);
}

}  // namespace
}  // namespace input_test
