// The program's windows as start-up creates them, the main window shown, and dialogs and questions
// answered by a script. At the end the windows go without questions: nothing of a test's text or
// dictionary needs saving.
#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/app.h"
#include "app/tests/fake_services.h"
#include "app/umekalon.h"

// An application object of the test's own, and its windows by the names the program gives them
// (all null while there is none).
class TestWindows : protected Tfmekalon::ToolWindows {
protected:
    void CreateWindows() { Take(std::make_unique<App>()); }
    void DestroyWindows() { Take(nullptr); }
    // Holds `windows` (freeing those held before) and points the names at its windows.
    void Take(std::unique_ptr<App> windows) {
        app = std::move(windows);
        fmekalon = app ? app->MainWindow() : nullptr;
        static_cast<Tfmekalon::ToolWindows&>(*this) = app ? app->Tools() : Tfmekalon::ToolWindows{};
    }

    std::unique_ptr<App> app;
    Tfmekalon* fmekalon = nullptr;
};

class AppWindowsTest : public ::testing::Test, protected TestWindows {
protected:
    void SetUp() override {
        CreateWindows();
        fmekalon->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(fmekalon));
    }
    void TearDown() override {
        fmekalon->Tm1->Modified = false;
        fmekalon->dicchanged = false;
        DestroyWindows();
        EXPECT_FALSE(services.unexpectedModal) << "a question was asked that the test did not expect";
    }
    ScriptedServices services;
};

// The windows beside a folder of the test's own for the files it opens and saves.
class AppFilesTest : public AppWindowsTest {
protected:
    void SetUp() override {
        AppWindowsTest::SetUp();
        ASSERT_TRUE(dir.isValid());
    }
    std::string Path(const char* name) const { return (dir.path() + "/" + name).toStdString(); }
    std::string Title() const { return fmekalon->windowTitle().toStdString(); }
    // Types into the editor as a user would (through its keyboard sink).
    void TypeLatin(const char* text) { QTest::keyClicks(fmekalon->Tm1->tcm, QString::fromLatin1(text)); }

    QTemporaryDir dir;
};
