// The options and input-mode commands of the main window: graphics sizes for the editor and the
// word-list results together, font mode, check marks, hard return, and the mode switches.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>

#include "app/tests/app_fixture.h"
#include "app/uergebnis.h"
#include "app/uthaivk.h"
#include "inputfield/thaiedit.h"
#include "app/umekalon.h"

namespace {

class OptionsTest : public AppWindowsTest {
protected:
    void ExpectMarks(bool prev, bool small, bool medium, bool large) {
        fmekalon->optionsClick();
        EXPECT_EQ(fmekalon->previousfont->isChecked(), prev);
        EXPECT_EQ(fmekalon->Smallgraphics->isChecked(), small);
        EXPECT_EQ(fmekalon->MediumGraphics->isChecked(), medium);
        EXPECT_EQ(fmekalon->Largegraphics->isChecked(), large);
    }
    TThaimemo* memo() { return fmekalon->Tm1.get(); }
};

TEST_F(OptionsTest, GraphicsSizesChangeEditorAndResultsTogether) {
    fmekalon->MediumGraphics->trigger();
    EXPECT_EQ(fmekalon->Tm1->Graphicsize, 2);
    EXPECT_EQ(Fergebnis->results->Graphicsize, 2);
    EXPECT_EQ(fmekalon->Tm1->CellWidth, 24);
    EXPECT_EQ(fmekalon->Tm1->RowHeight, 64);
    ExpectMarks(false, false, true, false);
    fmekalon->Largegraphics->trigger();
    EXPECT_EQ(Fergebnis->results->Graphicsize, 3);
    ExpectMarks(false, false, false, true);
    fmekalon->Smallgraphics->trigger();
    EXPECT_EQ(fmekalon->Tm1->Graphicsize, 1);
    ExpectMarks(false, true, false, false);
}

TEST_F(OptionsTest, PreviousFontWithFixedsysStaysOnSmallGlyphs) {
    fmekalon->Largegraphics->trigger();
    fmekalon->previousfont->trigger();
    EXPECT_EQ(fmekalon->Tm1->Graphicsize, 1);
    EXPECT_EQ(Fergebnis->results->Graphicsize, 1);
    ExpectMarks(false, true, false, false);
}

TEST_F(OptionsTest, ChosenFontGivesFontModeAndPreviousFontReturnsToIt) {
    fmekalon->Fixedsys->trigger();  // cancelled
    ASSERT_EQ(services.fontRequests.size(), 1u);
    EXPECT_EQ(services.fontRequests[0].name, "Fixedsys");
    EXPECT_EQ(services.fontRequests[0].height, 13);
    EXPECT_EQ(fmekalon->Tm1->Graphicsize, 1);

    services.fontAnswers.push_back(platform::FontChoice{"Tlwg Mono", 24, 0});
    fmekalon->Fixedsys->trigger();
    EXPECT_EQ(fmekalon->Tm1->Graphicsize, 0);
    EXPECT_EQ(Fergebnis->results->Graphicsize, 0);
    EXPECT_EQ(fmekalon->host->Canvas().FontName(), "Tlwg Mono");
    ExpectMarks(true, false, false, false);

    fmekalon->Largegraphics->trigger();
    fmekalon->previousfont->trigger();
    EXPECT_EQ(fmekalon->Tm1->Graphicsize, 0);
    EXPECT_EQ(fmekalon->host->Canvas().FontName(), "Tlwg Mono");
    EXPECT_EQ(fmekalon->host->Canvas().FontHeight(), 24);
}

TEST_F(OptionsTest, HardReturnFollowsItsMark) {
    EXPECT_TRUE(fmekalon->Tm1->HardReturn);
    fmekalon->hardreturn->trigger();
    EXPECT_FALSE(fmekalon->hardreturn->isChecked());
    EXPECT_FALSE(fmekalon->Tm1->HardReturn);
    fmekalon->hardreturn->trigger();
    EXPECT_TRUE(fmekalon->Tm1->HardReturn);
}

TEST_F(OptionsTest, KeyboardSwitchFirstLeavesThaiOnAZ) {
    auto icon = [this] { return fmekalon->windowIcon().cacheKey(); };
    EXPECT_EQ(icon(), fmekalon->latinicon.cacheKey());
    fmekalon->ThaionAZ1->trigger();
    EXPECT_TRUE(fmekalon->Tm1->ThaiOnAZ);
    EXPECT_EQ(icon(), fmekalon->thaiazicon.cacheKey());
    fmekalon->KeyboardF21->trigger();
    EXPECT_FALSE(fmekalon->Tm1->ThaiOnAZ);
    EXPECT_FALSE(fmekalon->Tm1->ThaiKeyboard);
    EXPECT_EQ(icon(), fmekalon->latinicon.cacheKey());
    fmekalon->KeyboardF21->trigger();
    EXPECT_TRUE(fmekalon->Tm1->ThaiKeyboard);
    EXPECT_EQ(icon(), fmekalon->thaiicon.cacheKey());
    // Thai on A..Z twice with the Thai layout on.
    fmekalon->ThaionAZ1->trigger();
    EXPECT_EQ(icon(), fmekalon->thaiazicon.cacheKey());
    fmekalon->ThaionAZ1->trigger();
    EXPECT_EQ(icon(), fmekalon->thaiicon.cacheKey());
    EXPECT_EQ(Fthaivk->windowIcon().cacheKey(), fmekalon->thaiicon.cacheKey());
}

TEST_F(OptionsTest, ModeCommandsKeepEveryInputFieldInStep) {
    // The find window's search and replacement fields, the quick lookup's field.
    const auto fields = fmekalon->InputFields();
    ASSERT_EQ(fields.size(), 3u);
    fmekalon->KeyboardF21->trigger();
    for (TThaiedit* f : fields) EXPECT_TRUE(f->ThaiKeyboard);
    fmekalon->ThaionAZ1->trigger();
    for (TThaiedit* f : fields) EXPECT_TRUE(f->ThaiOnAZ);
    // The keyboard command first leaves Thai on A..Z, in the fields too, keeping their layout.
    fmekalon->KeyboardF21->trigger();
    for (TThaiedit* f : fields) {
        EXPECT_FALSE(f->ThaiOnAZ);
        EXPECT_TRUE(f->ThaiKeyboard);
    }
    fmekalon->KeyboardF21->trigger();
    for (TThaiedit* f : fields) EXPECT_FALSE(f->ThaiKeyboard);
    // Graphics sizes leave the fields alone.
    fmekalon->Largegraphics->trigger();
    for (TThaiedit* f : fields) EXPECT_EQ(f->Graphicsize, 1);
}

}  // namespace

namespace {

TEST_F(OptionsTest, TypingReachesTheEditorThroughEachLayout) {
    memo()->tcm->setFocus();
    QTest::keyClicks(memo()->tcm, "dj");
    fmekalon->KeyboardF21->trigger();  // Thai layout
    QTest::keyClicks(memo()->tcm, "djk");
    ASSERT_EQ(memo()->LineCount(), 1);
    EXPECT_EQ(memo()->Lines[0], "dj\xA1\xE8\xD2");
    fmekalon->KeyboardF21->trigger();  // back to English
    fmekalon->ThaionAZ1->trigger();
    QTest::keyClicks(memo()->tcm, "kk ");  // kho khwai, then kho khai, taken by the space
    EXPECT_EQ(memo()->Lines[0], "dj\xA1\xE8\xD2\xA2");
    // The system's own Thai layout delivers Unicode text.
    fmekalon->ThaionAZ1->trigger();
    for (QChar ch : QString::fromUtf8("น้ำ")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(memo()->tcm, &press);
    }
    EXPECT_EQ(memo()->Lines[0], "dj\xA1\xE8\xD2\xA2\xB9\xE9\xD3");
    EXPECT_TRUE(memo()->Modified);
}

}  // namespace
