// "Thai on A..Z": a Latin letter offers the Thai letters filed under it in the cursor cell, the
// same letter steps through them, any other key takes the one on offer. Also the highlighted
// offer glyph on screen and the switching between the input modes.
#include <string>

#include "editor/tests/input_fixture.h"
#include "platform/types.h"
#include "script/keytables.h"

namespace input_test {
namespace {

class OfferTest : public InputTest {
protected:
    void SetUp() override {
        InputTest::SetUp();
        if (HasFatalFailure()) return;
        memo->SetThaiOnAZ(true);
    }
    // A consonant to put marks on: g offers ko kai, the space bar takes it.
    void TypeKoKai() { Type("g "); }
};

TEST_F(OfferTest, LetterShowsItsFirstChoiceHighlightedWithoutChangingTheText) {
    Type("k");
    EXPECT_EQ(memo->LineCount(), 0);
    EXPECT_FALSE(memo->Modified);
    EXPECT_EQ(memo->CursorCol, 0);
    EXPECT_EQ(memo->PendingLetter, 'K');
    EXPECT_EQ(memo->ChoiceIndex, 1);
    EXPECT_TRUE(ShowsGlyph(0, 0, 0xA4 - 0xA0, memo->HighLightColor));  // kho khwai

    Type("k");
    EXPECT_EQ(memo->LineCount(), 0);
    EXPECT_EQ(memo->ChoiceIndex, 2);
    EXPECT_TRUE(ShowsGlyph(0, 0, 0xA2 - 0xA0, memo->HighLightColor));  // kho khai

    // The space bar takes kho khai; the space itself is not inserted.
    Type(" ");
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xA2})));
    EXPECT_EQ(memo->CursorCol, 1);
    EXPECT_EQ(memo->PendingLetter, 0);
    EXPECT_EQ(memo->ChoiceIndex, 0);
    EXPECT_TRUE(memo->Modified);
    // The letter now stands in the text, drawn on white.
    EXPECT_TRUE(ShowsGlyph(0, 0, 0xA2 - 0xA0, platform::clWhite));
    EXPECT_EQ(CountInCell(0, 0, memo->HighLightColor), 0);
}

TEST_F(OfferTest, OfferIsDrawnInTheCursorCellInTheEditorsHighlightColour) {
    memo->HighLightColor = platform::RGB(0, 200, 255);
    Type("ab");
    // "a" offered sara aa at column 0 and "b" took it without starting an offer of its own.
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xD2})));
    EXPECT_EQ(memo->PendingLetter, 0);
    EXPECT_EQ(CountInCell(0, 0, platform::RGB(0, 200, 255)), 0);
    EXPECT_EQ(CountInCell(1, 0, platform::RGB(0, 200, 255)), 0);
    Type("b");  // bo baimai offered at column 1
    EXPECT_TRUE(ShowsGlyph(1, 0, 0xBA - 0xA0, platform::RGB(0, 200, 255)));
    EXPECT_EQ(CountInCell(0, 0, platform::RGB(0, 200, 255)), 0);
    Type(" ");

    // Further down: the offer follows the cursor's view cell.
    memo->SetCursor(3, 5);
    Type("y");
    EXPECT_TRUE(ShowsGlyph(5 - memo->LeftCol, 3 - memo->TopLine, 0xC2 - 0xA0, platform::RGB(0, 200, 255)));
}

TEST_F(OfferTest, OfferIsScaledWithTheGraphicsSize) {
    memo->SetGraphicsize(2);
    ASSERT_EQ(memo->CellWidth, 24);
    TypeKoKai();
    Type("u");  // sara u, drawn whole at the base level while it is offered
    EXPECT_TRUE(ShowsGlyph(1, 0, 0xD8 - 0xA0, memo->HighLightColor));
    EXPECT_EQ(memo->LineCount(), 1);
    Type(" ");
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xA1, 0xD8})));
    EXPECT_EQ(CountInCell(1, 0, memo->HighLightColor), 0);
}

TEST_F(OfferTest, FontModeOfferFillsTheCursorCell) {
    memo->Canvas()->SetFontName("Tlwg Typist");
    memo->Canvas()->SetFontHeight(24);
    memo->SetGraphicsize(0);
    ASSERT_EQ(memo->Graphicsize, 0);
    TypeKoKai();
    ASSERT_EQ(Hex(Line(0)), Hex(Bytes({0xA1})));
    Type("k");
    const int cellArea = memo->CellWidth * memo->RowHeight;
    const int highlighted = CountInCell(1, 0, memo->HighLightColor);
    EXPECT_GT(highlighted, cellArea / 2);
    EXPECT_LT(highlighted + CountInCell(1, 0, platform::clWhite), cellArea) << "no glyph drawn on the highlight";
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xA1})));
    Type(" ");
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xA1, 0xA4})));
    EXPECT_EQ(CountInCell(1, 0, memo->HighLightColor), 0);
}

TEST_F(OfferTest, RepeatedLetterCyclesThroughItsRow) {
    // Pressing the letter n times and confirming inserts slot n, wrapping after the last
    // filled slot: row A has six letters, row T all eight.
    struct Case {
        char letter;
        int rowLength;
    };
    for (Case c : {Case{'a', 6}, Case{'t', 8}, Case{'x', 7}, Case{'g', 1}}) {
        const auto& row = thai::ChoiceLists[static_cast<size_t>(c.letter - 'a')];
        for (int presses = 1; presses <= c.rowLength + 2; ++presses) {
            memo->Clear();
            memo->SetCursor(0, 0);
            TypeKoKai();
            Type(std::string(static_cast<size_t>(presses), c.letter).c_str());
            const unsigned char offered = row[static_cast<size_t>((presses - 1) % c.rowLength)];
            EXPECT_EQ(memo->ChoiceIndex, (presses - 1) % c.rowLength + 1) << c.letter << " x" << presses;
            EXPECT_TRUE(ShowsGlyph(1, 0, offered - 0xA0, memo->HighLightColor)) << c.letter << " x" << presses;
            Type(" ");
            EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xA1, offered}))) << c.letter << " x" << presses;
        }
    }
}

TEST_F(OfferTest, UpperCaseLettersOfferAndStepTheSameRow) {
    Type("Kk");
    EXPECT_EQ(memo->PendingLetter, 'K');
    EXPECT_EQ(memo->ChoiceIndex, 2);
    Type("K ");
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xA6})));  // kho rakhang, third of row K
}

TEST_F(OfferTest, OtherLetterTakesTheOfferAndDoesNotStartItsOwn) {
    Type("kd");
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xA4})));
    EXPECT_EQ(memo->PendingLetter, 0);
    EXPECT_EQ(memo->CursorCol, 1);
    // A second d starts the offer of row D.
    Type("d");
    EXPECT_EQ(memo->PendingLetter, 'D');
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xA4})));
    EXPECT_TRUE(ShowsGlyph(1, 0, 0xB4 - 0xA0, memo->HighLightColor));  // do dek
    Type("q");  // Q confirms like any other key
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xA4, 0xB4})));
    EXPECT_EQ(memo->PendingLetter, 0);
}

TEST_F(OfferTest, KeysWithoutAnOfferAreInsertedAsTyped) {
    memo->SetThaiKeyboard(false);  // leaves "Thai on A..Z"
    memo->ThaiKeyboard = true;     // the Thai layout must not apply while offering is on
    memo->SetThaiOnAZ(true);
    Type("q");
    EXPECT_EQ(Line(0), "q");
    EXPECT_EQ(memo->PendingLetter, 0);
    Type("Q1;-");
    EXPECT_EQ(Line(0), "qQ1;-");
    EXPECT_EQ(memo->CursorCol, 5);
}

TEST_F(OfferTest, DigitOrPunctuationWithdrawsTheOfferAndIsTyped) {
    // Each key types its own character: the offer goes, nothing of it is inserted, and the
    // highlighted glyph leaves the cell the character now stands in.
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        char typed;
    };
    for (Case c : {Case{Qt::Key_Comma, Qt::NoModifier, ','}, Case{Qt::Key_Exclam, Qt::ShiftModifier, '!'},
                   Case{Qt::Key_Period, Qt::NoModifier, '.'}, Case{Qt::Key_Slash, Qt::NoModifier, '/'},
                   Case{Qt::Key_Semicolon, Qt::NoModifier, ';'}, Case{Qt::Key_1, Qt::NoModifier, '1'},
                   Case{Qt::Key_7, Qt::KeypadModifier, '7'}}) {
        memo->Clear();
        memo->SetCursor(0, 0);
        Type("kk");
        QTest::keyClick(memo->tcm, c.key, c.mods);
        EXPECT_EQ(Line(0), std::string(1, c.typed)) << c.typed;
        EXPECT_EQ(memo->PendingLetter, 0) << c.typed;
        EXPECT_EQ(memo->CursorCol, 1) << c.typed;
        EXPECT_EQ(CountInCell(0, 0, memo->HighLightColor), 0) << c.typed;
        // The next letter starts a fresh offer.
        Type("k ");
        EXPECT_EQ(Hex(Line(0)), Hex(std::string(1, c.typed) + Bytes({0xA4}))) << c.typed;
    }
}

TEST_F(OfferTest, ConfirmedMarkJoinsTheCellBeforeAndTheOfferVanishes) {
    TypeKoKai();
    Type("z");  // mai ek offered in the cursor cell
    EXPECT_TRUE(ShowsGlyph(1, 0, 0xE8 - 0xA0, memo->HighLightColor));
    Type(" ");
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xA1, 0xE8})));
    EXPECT_EQ(memo->CursorCol, 1);
    EXPECT_EQ(CountInCell(1, 0, memo->HighLightColor), 0) << "the offered mark is still shown";

    // A refused confirmed mark leaves the text alone and clears the offer as well.
    Type("q");
    memo->Modified = false;
    Type("zz ");  // mai tho after a Latin letter
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xA1, 0xE8, 'q'})));
    EXPECT_FALSE(memo->Modified);
    EXPECT_EQ(CountInCell(2, 0, memo->HighLightColor), 0);
}

TEST_F(OfferTest, VirtualKeyboardByteTakesTheOfferInstead) {
    Type("kk");
    unsigned char clicked = 0xA1;  // ko kai clicked on the virtual keyboard
    memo->KeyPress(clicked);
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xA2})));
    EXPECT_EQ(memo->PendingLetter, 0);
    // With no offer pending the clicked byte goes in as it is.
    clicked = 0xA1;
    memo->KeyPress(clicked);
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xA2, 0xA1})));
}

TEST_F(OfferTest, EnterWithdrawsTheOfferAndActsAsEnter) {
    Type("abb");  // sara aa in the text, bo baimai on offer
    ASSERT_EQ(memo->PendingLetter, 'B');
    Key(Qt::Key_Return);
    EXPECT_EQ(memo->PendingLetter, 0);
    EXPECT_EQ(memo->ChoiceIndex, 0);
    EXPECT_EQ(memo->JoinedText().find('\xBA'), std::string::npos) << "nothing of the offer is inserted";
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({0xD2})));
    EXPECT_EQ(memo->CursorLine, 1);  // Return split the line and moved on
    EXPECT_EQ(CountInCell(1, 0, memo->HighLightColor), 0);
    // The letter pressed next starts a fresh offer.
    Type("b");
    EXPECT_EQ(memo->PendingLetter, 'B');
    EXPECT_EQ(memo->ChoiceIndex, 1);
}

TEST_F(OfferTest, SwitchingOnShowsABlankAndSwitchingOffRemovesIt) {
    memo->SetThaiOnAZ(false);
    Type("ab");
    memo->SetThaiOnAZ(true);
    // The blank sign fills the cursor cell's glyph area with the highlight colour.
    EXPECT_TRUE(ShowsGlyph(2, 0, 0, memo->HighLightColor));
    EXPECT_EQ(Line(0), "ab");
    memo->SetThaiOnAZ(false);
    EXPECT_FALSE(memo->ThaiOnAZ);
    EXPECT_EQ(CountInCell(2, 0, memo->HighLightColor), 0);
    // A key that moves the cursor away takes the blank with it.
    memo->SetThaiOnAZ(true);
    Key(Qt::Key_Left);
    EXPECT_EQ(CountInCell(2, 0, memo->HighLightColor), 0);
    Key(Qt::Key_End);
    memo->SetThaiOnAZ(false);

    // Switching off during an offer withdraws it.
    memo->SetThaiOnAZ(true);
    Type("k");
    memo->SetThaiOnAZ(false);
    EXPECT_EQ(memo->PendingLetter, 0);
    EXPECT_EQ(CountInCell(2, 0, memo->HighLightColor), 0);
    Type("k");
    EXPECT_EQ(Line(0), "abk");
}

TEST_F(OfferTest, KeyboardSwitchFirstOnlyLeavesThaiOnAZ) {
    ASSERT_FALSE(memo->ThaiKeyboard);
    Type("k");
    memo->SetThaiKeyboard(true);
    EXPECT_FALSE(memo->ThaiOnAZ);
    EXPECT_FALSE(memo->ThaiKeyboard);
    EXPECT_EQ(memo->PendingLetter, 0);
    EXPECT_EQ(CountInCell(0, 0, memo->HighLightColor), 0);
    EXPECT_EQ(memo->LineCount(), 0);

    // English layout still: k is a k.
    Type("k");
    EXPECT_EQ(Line(0), "k");
    // The second use switches the layout.
    memo->SetThaiKeyboard(true);
    EXPECT_TRUE(memo->ThaiKeyboard);
    Type("d");
    EXPECT_EQ(Hex(Line(0)), Hex(Bytes({'k', 0xA1})));

    // With the Thai layout selected, the same holds in the other direction.
    memo->SetThaiOnAZ(true);
    memo->SetThaiKeyboard(false);
    EXPECT_FALSE(memo->ThaiOnAZ);
    EXPECT_TRUE(memo->ThaiKeyboard);
}

}  // namespace
}  // namespace input_test
