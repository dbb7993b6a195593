// The installed program: `cmake --install` of this build into a scratch prefix gives the program,
// a desktop entry that desktop-file-validate accepts and the icon at every size; every window of
// the running program shows that icon.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWidget>

#include "app/appicon.h"
#include "app/tests/app_fixture.h"

namespace {

struct Result {
    int exitCode;
    QString output;
};

Result RunTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return {-1, QStringLiteral("did not end")};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAll())};
}

TEST(Install, InstalledTreeHoldsProgramValidDesktopEntryAndIcons) {
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    const Result install = RunTool(QStringLiteral(MEKALON_CMAKE),
                               {"--install", QStringLiteral(MEKALON_BUILD_DIR), "--prefix", prefix.path()});
    ASSERT_EQ(install.exitCode, 0) << install.output.toStdString();

    const Result version = RunTool(prefix.path() + "/bin/mekalon", {"--version"});
    EXPECT_EQ(version.output.toStdString(), "Mekalon 5.2\n");

    const QString entry = prefix.path() + "/share/applications/io.github.mekalon.Mekalon.desktop";
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    ASSERT_FALSE(validator.isEmpty()) << "desktop-file-validate is missing (scripts/deps.sh installs it)";
    const Result valid = RunTool(validator, {entry});
    EXPECT_EQ(valid.exitCode, 0) << valid.output.toStdString();
    EXPECT_EQ(valid.output.toStdString(), "");
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    for (const char* line : {"Exec=mekalon %f", "Icon=io.github.mekalon.Mekalon", "MimeType=text/plain;",
                             "Categories=Utility;TextEditor;", "Comment=", "Comment[th]=",
                             "StartupWMClass=io.github.mekalon.Mekalon"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(line))) << line;

    const QString icons = prefix.path() + "/share/icons/hicolor/";
    QFile svg(icons + "scalable/apps/io.github.mekalon.Mekalon.svg");
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(svg.readAll()), AppIconSvg());
    // Each PNG is the picture the windows show at that size.
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QImage png(icons + QStringLiteral("%1x%1/apps/io.github.mekalon.Mekalon.png").arg(size));
        ASSERT_EQ(png.size(), QSize(size, size)) << size;
        EXPECT_EQ(png.convertToFormat(QImage::Format_ARGB32), AppIconImage(size).convertToFormat(QImage::Format_ARGB32))
            << size;
    }
}

class WindowIconTest : public AppWindowsTest {};

TEST_F(WindowIconTest, EveryWindowShowsTheApplicationIcon) {
    const QImage expected = AppIconImage(48).convertToFormat(QImage::Format_ARGB32);
    // The picture is the application's own: not blank, not one colour.
    EXPECT_NE(expected.pixel(128 * 48 / 256, 100 * 48 / 256), expected.pixel(24, 4));
    ASSERT_EQ(app->Windows().size(), 7u);
    for (QWidget* window : app->Windows())
        EXPECT_EQ(window->windowIcon().pixmap(48).toImage().convertToFormat(QImage::Format_ARGB32), expected)
            << window->objectName().toStdString();
    // Switching the input mode changes the 16 x 16 title-bar icon only.
    fmekalon->KeyboardF21->trigger();
    EXPECT_EQ(fmekalon->windowIcon().pixmap(48).toImage().convertToFormat(QImage::Format_ARGB32), expected);
    fmekalon->KeyboardF21->trigger();
}

}  // namespace
