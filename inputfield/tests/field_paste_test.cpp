// Pasting another program's text into the input field: its first line at the cursor, the question
// before characters TIS-620 lacks become "?", and the middle click that pastes the primary
// selection at the clicked cell, all checked on the text, the cursor and the pixels.
#include <QClipboard>
#include <QGuiApplication>
#include <deque>
#include <vector>

#include "inputfield/tests/field_fixture.h"
#include "platform/clipboard.h"
#include "platform/files.h"
#include "platform/services.h"
#include "testing/answering_services.h"

namespace field_test {
namespace {

using PasteTest = FieldTest;
using platform::clWhite;

platform::IncomingText Incoming(const char32_t* text) { return platform::FromUnicode(text); }

using testservices::AnsweringServices;

TEST_F(PasteTest, TheFirstLineGoesInAtTheCursorAndTheCursorBehindIt) {
    field->SetText("abcd");
    ClickField(Qt::LeftButton, {}, QPoint(2 * field->CellWidth + 1, 5));
    ASSERT_EQ(field->CursorCol, 2);
    // Thai with a mark (ko kai, mai ek), then a second line the field has no room for.
    EXPECT_TRUE(field->PasteText(Incoming(U"ก่x\r\nsecond")));
    EXPECT_EQ(Hex(field->Text()), Hex("ab\xA1\xE8x" "cd"));
    EXPECT_EQ(field->CursorCol, 4);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(ShowsLine(field->Text(), clWhite));
    EXPECT_EQ(UnderlinedColumn(), 4);

    // Beyond the end of the text the gap is filled with spaces; trailing ones are not kept.
    ClickField(Qt::LeftButton, {}, QPoint(10 * field->CellWidth + 1, 5));
    EXPECT_TRUE(field->PasteText(Incoming(U"end  \nmore")));
    EXPECT_EQ(field->Text(), "ab\xA1\xE8x" "cd" "    end");
    EXPECT_EQ(field->CursorCol, 15);
    EXPECT_TRUE(ShowsLine(field->Text(), clWhite));

    // A highlighted text is replaced; a text that starts with a line break pastes nothing.
    field->SelectedAll = true;
    EXPECT_TRUE(field->PasteText(Incoming(U"new")));
    EXPECT_EQ(field->Text(), "new");
    EXPECT_FALSE(field->PasteText(Incoming(U"\nnext")));
    EXPECT_EQ(field->Text(), "new");
    EXPECT_EQ(changes, 3);
    EXPECT_TRUE(ShowsLine("new", clWhite));
}

TEST_F(PasteTest, CharactersOutsideTis620ArePastedAsQuestionMarksOnlyWhenTheUserAgrees) {
    AnsweringServices services;
    services.answers = {platform::mrNo, platform::mrYes};
    field->SetText("ab");
    EXPECT_FALSE(field->PasteText(Incoming(U"caf\u00e9")));
    EXPECT_EQ(field->Text(), "ab");
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(field->PasteText(Incoming(U"caf\u00e9")));
    EXPECT_EQ(field->Text(), "abcaf?");
    ASSERT_EQ(services.questions.size(), 2u);
    // The editor's own question, word for word.
    EXPECT_EQ(services.questions[0],
              "U+00E9 (\u00e9) and any other character that TIS-620 lacks would be pasted as \"?\". "
              "Paste with these replacements?");
    // Such a character on a later line is not pasted, so nothing is asked.
    EXPECT_TRUE(field->PasteText(Incoming(U"!\r\n\u00e9")));
    EXPECT_EQ(field->Text(), "abcaf?!");
    EXPECT_EQ(services.questions.size(), 2u);
    // A text larger than a file that can be read is refused with a word.
    platform::IncomingText huge;
    huge.tooLarge = true;
    EXPECT_FALSE(field->PasteText(huge));
    EXPECT_EQ(field->Text(), "abcaf?!");
    EXPECT_EQ(services.messages, std::vector<std::string>{"The text to paste is " + platform::TooLargeReason() + "."});
}

TEST_F(PasteTest, AMiddleClickPastesThePrimarySelectionAtTheClickedCell) {
    field->SetText("abcd");
    const QPoint cell1(field->CellWidth + 1, 5);
    if (!platform::HasPrimarySelection()) {
        // Nothing happens: neither the cursor nor the text changes.
        ClickField(Qt::MiddleButton, {}, cell1);
        EXPECT_EQ(field->Text(), "abcd");
        EXPECT_EQ(field->CursorCol, 4);
        EXPECT_EQ(changes, 0);
        return;
    }
    QGuiApplication::clipboard()->setText(QStringLiteral("ไทย\nmore"), QClipboard::Selection);
    ClickField(Qt::MiddleButton, {}, cell1);
    EXPECT_EQ(field->Text(), "a\xE4\xB7\xC2" "bcd");
    EXPECT_EQ(field->CursorCol, 4);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(ShowsLine(field->Text(), clWhite));
}

}  // namespace
}  // namespace field_test
