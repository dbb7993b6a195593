// The X primary selection with the real program under a real X server (Xvfb, started here on a
// free display): a selection made with the keys reaches other programs as Unicode, and a middle
// click pastes another program's selection at the clicked cell. Skipped only without Xvfb.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <fstream>
#include <functional>

#include "testing/bytes.h"

namespace {

constexpr int kWaitMs = 60000;  // generous: only a broken program waits this long

// An Xvfb that picks a free display itself and ends with the test.
class XServer {
public:
    explicit XServer(const QString& program) {
        server_.start(program, {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        QDeadlineTimer deadline(kWaitMs);
        QByteArray out;
        while (!out.contains('\n') && !deadline.hasExpired() && server_.state() != QProcess::NotRunning) {
            server_.waitForReadyRead(200);
            out += server_.readAllStandardOutput();
        }
        if (out.contains('\n')) display_ = QStringLiteral(":") + QString::fromLatin1(out.trimmed());
    }
    ~XServer() {
        server_.kill();
        server_.waitForFinished();
    }
    const QString& Display() const { return display_; }

private:
    QProcess server_;
    QString display_;
};

class PrimarySelectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty()) GTEST_SKIP() << "Xvfb is missing: the primary selection needs a real X server";
        for (const char* tool : {"xdotool", "xclip"})
            ASSERT_FALSE(QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                << tool << " is missing (scripts/deps.sh installs it)";
        server_ = std::make_unique<XServer>(xvfb);
        ASSERT_FALSE(server_->Display().isEmpty()) << "Xvfb gave no display";
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(QStringLiteral("DISPLAY"), server_->Display());
        env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    }
    void TearDown() override {
        program_.kill();
        program_.waitForFinished();
        server_.reset();
    }

    // Runs an X tool to its end; its standard output.
    QString Tool(const char* tool, const QStringList& args, const QByteArray& input = {}) {
        QProcess p;
        p.setProcessEnvironment(env_);
        p.start(QString::fromLatin1(tool), args);
        if (!input.isEmpty()) p.write(input);
        p.closeWriteChannel();
        if (!p.waitForFinished(kWaitMs)) p.kill();
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    // Waits until `done` holds, asking again every tenth of a second.
    static bool WaitFor(const std::function<bool()>& done) {
        QDeadlineTimer deadline(kWaitMs);
        while (!done()) {
            if (deadline.hasExpired()) return false;
            QThread::msleep(100);
        }
        return true;
    }

    std::unique_ptr<XServer> server_;
    QProcessEnvironment env_;
    QProcess program_;
};

using testbytes::ReadAll;

TEST_F(PrimarySelectionTest, KeySelectionIsOfferedAsUnicodeAndAMiddleClickPastesAtTheClickedCell) {
    QTemporaryDir dir;
    const std::string file = (dir.path() + "/story.txt").toStdString();
    const std::string original = "สวัสดี hello\nline two\n";  // UTF-8 with LF
    std::ofstream(file, std::ios::binary) << original;

    program_.setProcessEnvironment(env_);
    program_.setWorkingDirectory(dir.path());
    program_.start(QStringLiteral(MEKALON_PROGRAM), {QString::fromStdString(file)});
    const QString window =
        Tool("xdotool", {"search", "--sync", "--onlyvisible", "--name", "^story\\.txt-Mekalon 5\\.2$"}).section('\n', 0, 0);
    ASSERT_FALSE(window.isEmpty()) << "no window of the program appeared";
    Tool("xdotool", {"windowfocus", "--sync", window});

    // The cursor stands at the start of the text: Shift+End selects the first line.
    Tool("xdotool", {"key", "ctrl+Home", "shift+End"});
    QString primary;
    EXPECT_TRUE(WaitFor([&] { return (primary = Tool("xclip", {"-o", "-selection", "primary"})) == "สวัสดี hello"; }))
        << primary.toStdString();

    // Another program's selection, pasted by a middle click below the text and right of its start.
    Tool("xclip", {"-i", "-selection", "primary"}, "ไทย");
    ASSERT_TRUE(WaitFor([&] { return Tool("xclip", {"-o", "-selection", "primary"}) == "ไทย"; }));
    Tool("xdotool", {"mousemove", "--window", window, "200", "150", "click", "2"});
    Tool("xdotool", {"key", "ctrl+s"});
    std::string saved;
    ASSERT_TRUE(WaitFor([&] { return (saved = ReadAll(file)).find("ไทย") != std::string::npos; })) << saved;

    // Still UTF-8 with LF; the pasted text stands on a line of its own after empty lines, behind spaces.
    ASSERT_EQ(saved.substr(0, original.size()), original);
    const std::string added = saved.substr(original.size());
    EXPECT_EQ(added.find('\r'), std::string::npos);
    const size_t thai = added.find("ไทย");
    EXPECT_EQ(added.substr(thai), "ไทย\n");
    const std::string gap = added.substr(0, thai);
    EXPECT_EQ(gap.find_first_not_of("\n "), std::string::npos) << gap;
    EXPECT_NE(gap.find('\n'), std::string::npos);
    EXPECT_EQ(gap.back(), ' ');
}

}  // namespace
