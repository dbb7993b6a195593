// Undo and Redo of the main window: the Edit menu's items follow the editor's history (also
// without opening the menu, so their keys work), the commands of other windows (currency, the
// virtual keyboard) are undone like typing, and Modified follows the file last opened or saved.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <memory>

#include "app/tests/app_fixture.h"
#include "app/uthaivk.h"
#include "platform/locale.h"
#include "testing/number_locale.h"

namespace {

class UndoCommandTest : public AppWindowsTest {
protected:
    void SetUp() override {
        AppWindowsTest::SetUp();
        // Typed runs group whatever the machine's speed: the clock stands still.
        Memo().History.Clock = [] { return int64_t{0}; };
    }
    TThaimemo& Memo() { return *fmekalon->Tm1; }
    void Type(const char* text) { QTest::keyClicks(Memo().tcm, QString::fromLatin1(text)); }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(Memo().tcm, key, mods); }
    std::vector<std::string> Text() { return Memo().Lines.All(); }
    void ExpectItems(bool undo, bool redo) {
        EXPECT_EQ(fmekalon->Undo1->isEnabled(), undo);
        EXPECT_EQ(fmekalon->Redo1->isEnabled(), redo);
    }
};

TEST_F(UndoCommandTest, EditMenuItemsFollowTheHistory) {
    ExpectItems(false, false);
    Type("ab");
    ExpectItems(true, false);
    fmekalon->Undo1->trigger();
    EXPECT_TRUE(Text().empty());
    EXPECT_EQ(Memo().CursorCol, 0);
    ExpectItems(false, true);
    fmekalon->Redo1->trigger();
    EXPECT_EQ(Text(), std::vector<std::string>{"ab"});
    ExpectItems(true, false);
    // The keys reach the same commands from the editor.
    Key(Qt::Key_Z, Qt::ControlModifier);
    ExpectItems(false, true);
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Text(), std::vector<std::string>{"ab"});
    // Ctrl+Y still deletes the line, and is undone too.
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_TRUE(Text().empty());
    fmekalon->Undo1->trigger();
    EXPECT_EQ(Text(), std::vector<std::string>{"ab"});
    fmekalon->editoptClick();
    ExpectItems(true, true);
}

TEST_F(UndoCommandTest, CurrencyAndVirtualKeyboardChangesAreUndone) {
    auto point = std::make_unique<testlocale::FixedDecimalSeparator>('.');
    Memo().Lines.Assign({"price 12.5 USD"});
    Memo().History.Clear();
    Key(Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < 6; ++i) Key(Qt::Key_Right);
    for (int i = 0; i < 4; ++i) Key(Qt::Key_Right, Qt::ShiftModifier);
    const ViewPoint selected = Memo().View();
    fmekalon->Multiplywith->trigger();
    EXPECT_EQ(Text(), std::vector<std::string>{"price 500.00 USD"});
    fmekalon->Undo1->trigger();
    EXPECT_EQ(Text(), std::vector<std::string>{"price 12.5 USD"});
    EXPECT_EQ(Memo().View(), selected);
    EXPECT_EQ(Memo().SelectedText(), "12.5");
    point.reset();

    Key(Qt::Key_End);
    Fthaivk->SendChar(0xA1);  // ko kai
    Fthaivk->SendChar(0xE8);  // mai ek joins it
    EXPECT_EQ(Text(), std::vector<std::string>{"price 12.5 USD\xA1\xE8"});
    fmekalon->Undo1->trigger();
    EXPECT_EQ(Text(), std::vector<std::string>{"price 12.5 USD"});
    fmekalon->Redo1->trigger();
    EXPECT_EQ(Text(), std::vector<std::string>{"price 12.5 USD\xA1\xE8"});
}

TEST_F(UndoCommandTest, ModifiedFollowsOpenAndSaveAndNewAndOpenForgetTheSteps) {
    QTemporaryDir dir;
    const std::string file = (dir.path() + "/a.txt").toStdString();
    std::ofstream(file, std::ios::binary) << "one\r\n";
    services.openAnswers.push_back(file);
    fmekalon->Openfilesel->trigger();
    ExpectItems(false, false);

    Type("x");
    EXPECT_TRUE(Memo().Modified);
    fmekalon->Undo1->trigger();
    EXPECT_FALSE(Memo().Modified);  // back to the text as opened
    fmekalon->Redo1->trigger();
    fmekalon->savefilesel->trigger();
    EXPECT_FALSE(Memo().Modified);
    fmekalon->Undo1->trigger();
    EXPECT_TRUE(Memo().Modified);  // away from the text as saved
    fmekalon->Redo1->trigger();
    EXPECT_FALSE(Memo().Modified);

    Key(Qt::Key_Return);
    services.modalAnswers.push_back(platform::mrNo);
    fmekalon->newfilesel->trigger();
    EXPECT_TRUE(Text().empty());
    ExpectItems(false, false);
}

}  // namespace
