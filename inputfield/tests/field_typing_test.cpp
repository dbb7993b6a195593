// Typing into the input field: the English and the Thai layout, the system's own Thai keyboard,
// the mark rule with its refusals, OnChange after every accepted byte, bytes that are ignored,
// and "Thai on A..Z" with its offers and the highlighted mode cue, all checked on the pixels.
#include <QInputMethodEvent>

#include "inputfield/tests/field_fixture.h"
#include "platform/types.h"
#include "script/keytables.h"

namespace field_test {
namespace {

using TypingTest = FieldTest;
using platform::clWhite;
using platform::clYellow;

TEST_F(TypingTest, EnglishLayoutInsertsKeysAsTypedAndDrawsThem) {
    Type("ab c!");
    EXPECT_EQ(field->Text(), "ab c!");
    EXPECT_EQ(field->CursorCol, 5);
    EXPECT_EQ(changes, 5);
    EXPECT_TRUE(ShowsLine("ab c!", clWhite));
    EXPECT_EQ(UnderlinedColumn(), 5);

    // Inserting in the middle shifts the rest of the line on the screen too.
    Key(Qt::Key_Home);
    Key(Qt::Key_Right);
    Type("X");
    EXPECT_EQ(field->Text(), "aXb c!");
    EXPECT_EQ(field->CursorCol, 2);
    EXPECT_TRUE(ShowsLine("aXb c!", clWhite));
    EXPECT_EQ(UnderlinedColumn(), 2);
}

TEST_F(TypingTest, KoKaiThenMaiEkMakeOneCell) {
    field->SetThaiKeyboard(true);
    Type("d");
    EXPECT_EQ(Hex(field->Text()), Hex(Bytes({0xA1})));
    EXPECT_EQ(field->CursorCol, 1);
    Type("j");  // mai ek joins ko kai; the cursor stays
    EXPECT_EQ(Hex(field->Text()), Hex(Bytes({0xA1, 0xE8})));
    EXPECT_EQ(field->CursorCol, 1);
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(ShowsLine(field->Text(), clWhite));
    EXPECT_EQ(UnderlinedColumn(), 1);
}

TEST_F(TypingTest, VowelGoesBeforeToneAndReplacesAVowel) {
    Press({0xA1, 0xE8, 0xD4});  // ko kai, mai ek, sara i: vowel first
    EXPECT_EQ(Hex(field->Text()), Hex(Bytes({0xA1, 0xD4, 0xE8})));
    Press({0xD8});  // sara u replaces sara i and stays in front of the tone
    EXPECT_EQ(Hex(field->Text()), Hex(Bytes({0xA1, 0xD8, 0xE8})));
    EXPECT_EQ(field->CursorCol, 1);
    EXPECT_EQ(changes, 4);
    EXPECT_TRUE(ShowsLine(field->Text(), clWhite));
}

TEST_F(TypingTest, MarkInColumnZeroIsAnOrdinaryCharacter) {
    Press({0xE8});
    EXPECT_EQ(Hex(field->Text()), Hex(Bytes({0xE8})));
    EXPECT_EQ(field->CursorCol, 1);
    EXPECT_EQ(changes, 1);
}

TEST_F(TypingTest, RefusedMarkStillReportsAChange) {
    Type("a");
    const QImage before = Pixels();
    Press({0xE8});  // a Latin letter carries no mark
    EXPECT_EQ(field->Text(), "a");
    EXPECT_EQ(field->CursorCol, 1);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(Pixels(), before);
}

TEST_F(TypingTest, BytesOutsideTheAcceptedRangesAreIgnored) {
    Type("ab");
    const QImage before = Pixels();
    Press({0x00, 0x08, 0x0D, 0x1F, 0x7F, 0x80, 0x9F, 0xA0, 0xFC, 0xFF});
    EXPECT_EQ(field->Text(), "ab");
    EXPECT_EQ(field->CursorCol, 2);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(Pixels(), before);
    // The edges of the ranges are accepted.
    Press({0x20, 0x7E, 0xA1, 0xFB});
    EXPECT_EQ(Hex(field->Text()), Hex(Bytes({'a', 'b', ' ', 0x7E, 0xA1, 0xFB})));
    EXPECT_EQ(changes, 6);
}

TEST_F(TypingTest, TrailingSpaceOnlyMovesTheCursor) {
    Type("a ");
    EXPECT_EQ(field->Text(), "a");
    EXPECT_EQ(field->CursorCol, 2);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(UnderlinedColumn(), 2);
    Type("b");
    EXPECT_EQ(field->Text(), "a b");
    EXPECT_TRUE(ShowsLine("a b", clWhite));
}

TEST_F(TypingTest, TypingPastTheLastVisibleColumnScrollsTheField) {
    Type("abcdefghijklmnopqrstuvw");  // 23 characters, 20 visible columns
    EXPECT_EQ(field->CursorCol, 23);
    EXPECT_TRUE(ShowsLine("efghijklmnopqrstuvw", clWhite));
    EXPECT_EQ(UnderlinedColumn(), 19);
    // The same with bytes from the virtual keyboard.
    Press({0xA1, 0xA2});
    EXPECT_TRUE(ShowsLine(Bytes({'g', 'h', 'i', 'j', 'k', 'l', 'm', 'n', 'o', 'p', 'q', 'r', 's', 't', 'u', 'v',
                                 'w', 0xA1, 0xA2}),
                          clWhite));
    // Home shows the start again; a click finds the column under it.
    Key(Qt::Key_Home);
    EXPECT_TRUE(ShowsLine(field->Text(), clWhite));
    Key(Qt::Key_End);
    ClickField(Qt::LeftButton, {}, QPoint(field->CellWidth * 3 + 2, 5));
    EXPECT_EQ(field->CursorCol, 6 + 3);
    EXPECT_EQ(UnderlinedColumn(), 3);
}

TEST_F(TypingTest, SystemThaiKeyboardTypesThaiDirectly) {
    // A keyboard with the system's Thai layout sends Thai characters; the field's own layout is
    // English, so they go in unchanged.
    const QString thai = QString::fromUtf8("\xE0\xB8\x81\xE0\xB9\x88\xE0\xB8\xB2");  // ko kai, mai ek, sara aa
    for (QChar ch : thai)
        QTest::sendKeyEvent(QTest::Click, field->tce, static_cast<Qt::Key>(ch.unicode()), QString(ch), Qt::NoModifier);
    EXPECT_EQ(Hex(field->Text()), Hex(Bytes({0xA1, 0xE8, 0xD2})));
    EXPECT_EQ(field->CursorCol, 2);

    // An input method's commit string arrives one character at a time.
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("\xE0\xB8\x82"));  // kho khai
    QApplication::sendEvent(field->tce, &commit);
    EXPECT_EQ(Hex(field->Text()), Hex(Bytes({0xA1, 0xE8, 0xD2, 0xA2})));
}

TEST_F(TypingTest, ThaiLayoutOnlyMapsPrintableCharacters) {
    field->SetThaiKeyboard(true);
    Type("k d");      // the space stays a space
    Press({0xA2});  // Thai bytes from the virtual keyboard are not mapped again
    EXPECT_EQ(Hex(field->Text()), Hex(Bytes({0xD2, ' ', 0xA1, 0xA2})));
}

// ---- "Thai on A..Z" -------------------------------------------------------------------------

TEST_F(TypingTest, OfferStepsThroughTheRowAndAnyOtherKeyTakesIt) {
    field->SetThaiOnAZ(true);
    Type("k");
    EXPECT_EQ(field->Text(), "");
    EXPECT_EQ(field->PendingLetter, 'K');
    EXPECT_EQ(field->ChoiceIndex, 1);
    EXPECT_EQ(changes, 0);
    EXPECT_GT(CountInCell(0, clYellow), 20) << "the offer is not shown highlighted";
    Type("k");
    EXPECT_EQ(field->ChoiceIndex, 2);

    Type("a");  // takes the offered letter in place of the key
    EXPECT_EQ(Hex(field->Text()), Hex(Bytes({thai::ChoiceLists['K' - 'A'][1]})));
    EXPECT_EQ(field->PendingLetter, 0);
    EXPECT_EQ(field->CursorCol, 1);
    EXPECT_EQ(changes, 1);
    // The inserted letter is drawn plain, and the cursor cell shows the highlighted blank cue.
    EXPECT_EQ(CountInCell(0, clYellow), 0);
    EXPECT_GT(CountInCell(1, clYellow), 20);
}

TEST_F(TypingTest, OfferWrapsAfterTheLastFilledSlot) {
    field->SetThaiOnAZ(true);
    Type("bb");  // row B has one letter
    EXPECT_EQ(field->ChoiceIndex, 1);
    Type(" ");
    EXPECT_EQ(Hex(field->Text()), Hex(Bytes({0xBA})));
    Type("qq");  // Q offers nothing and is typed as itself
    EXPECT_EQ(Hex(field->Text()), Hex(Bytes({0xBA, 'q', 'q'})));
    EXPECT_EQ(changes, 3);
}

TEST_F(TypingTest, OfferedMarkJoinsTheCellBefore) {
    field->SetThaiOnAZ(true);
    Type("g ");  // ko kai
    Type("z ");  // mai ek, offered under Z
    EXPECT_EQ(Hex(field->Text()), Hex(Bytes({0xA1, 0xE8})));
    EXPECT_EQ(field->CursorCol, 1);
    // The cue replaced the offer in the cursor cell: one highlighted blank, no glyph.
    EXPECT_GT(CountInCell(1, clYellow), 20);
    EXPECT_EQ(CountInCell(1, platform::clBlack), field->CellWidth - 1) << "more than the cursor's underline";
}

TEST_F(TypingTest, NonLetterKeyWithdrawsTheOffer) {
    field->SetThaiOnAZ(true);
    Type("ab");  // b takes the offered sara aa and is gone itself
    Type("b");
    ASSERT_EQ(field->PendingLetter, 'B');
    Key(Qt::Key_Left);  // not a letter: the offer goes, the cell shows the text again
    EXPECT_EQ(field->PendingLetter, 0);
    EXPECT_EQ(field->ChoiceIndex, 0);
    EXPECT_EQ(Hex(field->Text()), Hex(Bytes({0xD2})));
    EXPECT_EQ(CountInCell(1, clYellow), 0);
    EXPECT_EQ(CountInCell(0, clYellow), 0);
    EXPECT_TRUE(ShowsLine(field->Text(), clWhite));
    EXPECT_EQ(UnderlinedColumn(), 0);
}

TEST_F(TypingTest, PunctuationWithdrawsTheOfferAndIsTyped) {
    field->SetThaiOnAZ(true);
    Type("kk,");
    EXPECT_EQ(field->Text(), ",");
    EXPECT_EQ(field->PendingLetter, 0);
    EXPECT_EQ(CountInCell(0, clYellow), 0) << "the offer is still shown";
    Key(Qt::Key_3, Qt::KeypadModifier);  // keypad keys leave the offer on key-down
    Type("k!");
    EXPECT_EQ(field->Text(), ",3!");
    EXPECT_EQ(changes, 3);
}

TEST_F(TypingTest, SwitchingTheModeWithdrawsTheOfferWithoutACue) {
    field->SetThaiOnAZ(true);
    Type("t");
    ASSERT_EQ(field->PendingLetter, 'T');
    field->SetThaiOnAZ(true);
    EXPECT_EQ(field->PendingLetter, 0);
    EXPECT_EQ(CountInCell(0, clYellow), 0);
    EXPECT_TRUE(UnderlineAt(0));

    // Switching off leaves no offer behind either.
    Type("t");
    field->SetThaiOnAZ(false);
    EXPECT_FALSE(field->ThaiOnAZ);
    EXPECT_EQ(field->PendingLetter, 0);
    EXPECT_EQ(CountInCell(0, clYellow), 0);
    Type("t");
    EXPECT_EQ(field->Text(), "t");
}

TEST_F(TypingTest, KeyboardSwitchLeavesThaiOnAZFirst) {
    field->SetThaiOnAZ(true);
    Type("m");
    field->SetThaiKeyboard(true);
    EXPECT_FALSE(field->ThaiOnAZ);
    EXPECT_FALSE(field->ThaiKeyboard);
    EXPECT_EQ(field->PendingLetter, 0);
    EXPECT_EQ(CountInCell(0, clYellow), 0);
    field->SetThaiKeyboard(true);
    EXPECT_TRUE(field->ThaiKeyboard);
    Type("d");
    EXPECT_EQ(Hex(field->Text()), Hex(Bytes({0xA1})));
}

}  // namespace
}  // namespace field_test
