// Clipboard text crosses between code-page bytes and Unicode.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>

#include "platform/clipboard.h"

namespace platform {
namespace {

TEST(ClipboardTest, ThaiBytesGoOutAsUnicode) {
    SetClipboardText("\xA1\xE8\xD2\xC7 rice\r\n\x80 5");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("ก่าว rice\r\n€ 5"));
    EXPECT_TRUE(ClipboardHasText());
    EXPECT_EQ(ClipboardText(), "\xA1\xE8\xD2\xC7 rice\r\n\x80 5");
}

TEST(ClipboardTest, UnicodeFromOtherProgramsComesInAsBytes) {
    QGuiApplication::clipboard()->setText(QString::fromUtf8("ข้าว\nline “two”\r\nend"));
    EXPECT_EQ(ClipboardText(), "\xA2\xE9\xD2\xC7\nline \x93two\x94\r\nend");
    // What the code page cannot hold becomes '?'.
    QGuiApplication::clipboard()->setText(QString::fromUtf8("a中é😀b"));
    EXPECT_EQ(ClipboardText(), "a???b");
    // The first of them is named, so that the user can be asked before they are replaced.
    EXPECT_EQ(ClipboardIncomingText().firstUnencodable, U'\u4E2D');
    EXPECT_EQ(FromUnicode(U"\u0E01\u20AC x").firstUnencodable, 0u);
}

TEST(ClipboardTest, EmptyClipboardHasNoText) {
    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(ClipboardHasText());
    EXPECT_EQ(ClipboardText(), "");
    SetClipboardText("x");
    EXPECT_TRUE(ClipboardHasText());
}

}  // namespace
}  // namespace platform
