// The real program under an X server of the test's own (Xvfb), with a settings folder of its own:
// its window carries the desktop entry's id as its class (docks group it under the entry's icon),
// F2 pressed as a real key switches to the Thai layout, and File > Exit keeps that in the
// settings file.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

namespace {

class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty() || QStandardPaths::findExecutable("xdotool").isEmpty())
            GTEST_SKIP() << "needs Xvfb and xdotool (scripts/deps.sh installs them)";
        ASSERT_TRUE(dir.isValid());
        // -displayfd 1: the server picks a free display and names it on its standard output.
        xvfb.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        ASSERT_TRUE(xvfb.waitForStarted(10000));
        QByteArray number;
        for (int i = 0; i < 200 && !number.contains('\n'); ++i) {
            xvfb.waitForReadyRead(100);
            number += xvfb.readAllStandardOutput();
        }
        ASSERT_TRUE(number.contains('\n')) << "Xvfb gave no display number";
        display = ":" + QString::fromLatin1(number.trimmed());
    }
    void TearDown() override {
        for (QProcess* p : {&program, &xvfb}) {
            if (p->state() == QProcess::NotRunning) continue;
            p->kill();
            p->waitForFinished(5000);
        }
    }
    QString Xdotool(const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display);
        p.setProcessEnvironment(env);
        p.start("xdotool", args);
        if (!p.waitForFinished(10000)) p.kill();
        return QString::fromLatin1(p.readAllStandardOutput()).trimmed();
    }
    // The first window xdotool finds for `args`, once there is one.
    QString Find(const QStringList& args) {
        for (int i = 0; i < 100; ++i) {
            const QString found = Xdotool(QStringList{"search", "--onlyvisible"} + args);
            if (!found.isEmpty()) return found.section('\n', 0, 0);
            QThread::msleep(100);
        }
        return {};
    }

    QTemporaryDir dir;
    QProcess xvfb, program;
    QString display;
};

TEST_F(DesktopTest, TheWindowClassIsTheEntrysIdAndARealF2IsKeptAtExit) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("XDG_CONFIG_HOME", dir.path() + "/config");
    env.insert("XDG_STATE_HOME", dir.path() + "/state");
    env.insert("LANG", "C.UTF-8");
    program.setProcessEnvironment(env);
    program.start(MEKALON_PROGRAM, {});
    ASSERT_TRUE(program.waitForStarted(10000));

    // WM_CLASS: instance "mekalon", class the desktop entry's id (StartupWMClass of the entry).
    const QString window = Find({"--class", "^io\\.github\\.mekalon\\.Mekalon$"});
    ASSERT_FALSE(window.isEmpty()) << "no window of class io.github.mekalon.Mekalon";
    EXPECT_EQ(Find({"--classname", "^mekalon$"}), window);
    EXPECT_EQ(Xdotool({"getwindowname", window}), "noname.txt-Mekalon 5.2");

    // No window manager runs here: the window is given the focus directly.
    for (int i = 0; i < 50 && Xdotool({"getwindowfocus"}) != window; ++i) {
        Xdotool({"windowfocus", "--sync", window});
        QThread::msleep(100);
    }
    ASSERT_EQ(Xdotool({"getwindowfocus"}), window);
    Xdotool({"key", "F2"});
    QThread::msleep(300);
    Xdotool({"key", "--delay", "150", "alt+f", "x"});
    ASSERT_TRUE(program.waitForFinished(20000)) << "File > Exit did not end the program";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);

    QFile conf(dir.path() + "/config/mekalon/mekalon.conf");
    ASSERT_TRUE(conf.open(QIODevice::ReadOnly));
    const QByteArray text = conf.readAll();
    EXPECT_TRUE(text.contains("thaiKeyboard=true")) << text.toStdString();
}

}  // namespace
