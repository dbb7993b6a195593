// The program's windows as start-up creates them, the main window shown, and dialogs and questions
// answered by a script. At the end the windows go without questions: nothing of a test's text or
// dictionary needs saving.
#pragma once

#include <gtest/gtest.h>

#include <QTest>

#include "app/tests/fake_services.h"
#include "app/umekalon.h"

class AppWindowsTest : public ::testing::Test {
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
