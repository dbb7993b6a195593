// The command-line export: `mekalon --pdf OUT FILE` run as a program prints the whole of FILE into
// OUT as the Print command would print it on A4 paper, with the glyph size or font of --size and
// --font, and reports what it cannot read or write on standard error with exit status 1.
#include <gtest/gtest.h>

#include <QFile>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "platform/cp874.h"
#include "platform/qt_printer.h"
#include "platform/surface.h"
#include "print/thaiprint.h"
#include "script/customthai.h"
#include "testing/image_printer.h"
#include "testing/thaiprint_probe.h"
#include "testing/pdf.h"

namespace {

struct Outcome {
    int exitCode = -1;
    std::string errors;  // standard error
};

// Runs the program without a display of its own.
Outcome Mekalon(const QStringList& arguments, bool offscreen = true) {
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(name);
    if (offscreen) env.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(env);
    program.start(MEKALON_PROGRAM, arguments);
    Outcome run;
    if (!program.waitForFinished(120000) || program.exitStatus() != QProcess::NormalExit) return run;
    run.exitCode = program.exitCode();
    run.errors = program.readAllStandardError().toStdString();
    return run;
}

class PdfExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        // 35 numbered lines of Thai with stacked marks, as TIS-620 bytes: two pages at glyph size
        // 1, four at size 3 (each line fits the page there too).
        for (int i = 1; i <= 35; ++i) {
            const std::string line = std::to_string(i) + " \xA1\xD4\xE8\xA7\xE4\xC1\xE9 \xBC\xD9\xE9\xE3\xCB\xAD\xE8 \xB9\xE9\xD3 ok";
            text += line + "\r\n";
            const std::u32string unicode = platform::DecodeCp874(line);
            lines << QString::fromUcs4(unicode.data(), static_cast<qsizetype>(unicode.size()));
        }
        QFile file(input);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.data(), static_cast<qint64>(text.size()));
    }
    // The pages the print component composes for the text on an A4 PDF page, with the start-up
    // font of the main window (Fixedsys, 13 pixels) or `font`.
    std::vector<QImage> Expected(int size, const std::string& font = "Fixedsys") {
        CreateGlyphImages();
        QPrinter a4(QPrinter::HighResolution);
        a4.setOutputFormat(QPrinter::PdfFormat);
        a4.setPageSize(QPageSize(QPageSize::A4));
        const platform::QtPrinter paper(&a4);
        testprinter::ImagePrinter pages(paper.PageWidth(), paper.PageHeight(), paper.PixelsPerInchY());
        platform::Bitmap fontSource(4, 4);
        fontSource.Canvas().SetFontName(font);
        fontSource.Canvas().SetFontHeight(13);
        testprint::ThaiprintProbe composer;
        composer.SetParent(nullptr, &fontSource.Canvas());
        composer.PrintText(text, size, pages);
        FreeGlyphImages();
        scale = composer.Scale;
        dpi = a4.resolution() * composer.Detail / scale;  // one page-bitmap pixel a rendered pixel
        margin = a4.pageLayout().paintRectPixels(a4.resolution()).topLeft() * composer.Detail / scale;
        std::vector<QImage> out;
        for (const auto& page : pages.Jobs().at(0).pages) out.push_back(page.copies.at(0).dib);
        return out;
    }

    QTemporaryDir dir;
    const QString input = dir.filePath("story.txt");
    const QString output = dir.filePath("story.pdf");
    std::string text;
    QStringList lines;  // the lines of the text as a reader of the file gets them
    int scale = 1, dpi = 96;
    QPoint margin;
};

TEST_F(PdfExportTest, TheWholeFileIsPrintedOnA4WithTheChosenGlyphSizeOrFont) {
    struct Case {
        QStringList options;
        int size;
        const char* font;
        bool offscreen;
    };
    const Case cases[] = {
        {{}, 1, "Fixedsys", true},
        {{}, 1, "Fixedsys", false},  // no display at all: the export needs none
        {{"--size", "3"}, 3, "Fixedsys", true},
        {{"--size", "2", "--font", "loma"}, 0, "Loma", true},  // the later choice counts; any case
        {{"--font", "Loma", "--size=2"}, 2, "Fixedsys", true},
    };
    for (const Case& c : cases) {
        const std::string label = c.options.join(' ').toStdString();
        QFile::remove(output);
        const Outcome run = Mekalon(QStringList{"--pdf", output} << c.options << input, c.offscreen);
        EXPECT_EQ(run.exitCode, 0) << label << run.errors;
        const auto expected = Expected(c.size, c.font);
        ASSERT_GE(expected.size(), 1u) << label;
        EXPECT_EQ(testpdf::PageCount(output), static_cast<int>(expected.size())) << label;
        EXPECT_GE(dpi, 300) << label;
        EXPECT_LT(testpdf::TopDifference(output, 1, dpi, expected[0], margin, expected[0].height() / 5), 0.05) << label;
        // Every line comes back as text, Thai included, in order (a line too long for the page
        // comes back as the lines it was printed in).
        EXPECT_EQ(testpdf::TextLines(output).join(' ').toStdString(), lines.join(' ').toStdString()) << label;
    }
}

TEST_F(PdfExportTest, WhatCannotBeReadOrWrittenIsReportedWithExitStatusOne) {
    struct Case {
        QStringList arguments;
        const char* message;  // part of the report
    };
    const Case cases[] = {
        {{"--pdf", output, dir.filePath("missing.txt")}, "missing.txt"},
        {{"--pdf", output, dir.path()}, "Cannot read"},
        {{"--pdf", dir.filePath("no/folder/out.pdf"), input}, "no/folder/out.pdf"},
        {{"--pdf", output, "--size", "4", input}, "--size"},
        {{"--pdf", output, "--font", "No Such Font Qz7", input}, "\"No Such Font Qz7\""},
        {{"--pdf", output, "--font", "No Such Font Qz7", "--size", "2", input}, "\"No Such Font Qz7\""},
        {{"--pdf", output}, "FILE"},
    };
    for (const Case& c : cases) {
        const std::string label = c.arguments.join(' ').toStdString();
        const Outcome run = Mekalon(c.arguments);
        EXPECT_EQ(run.exitCode, 1) << label;
        EXPECT_NE(run.errors.find(c.message), std::string::npos) << label << ": " << run.errors;
        EXPECT_FALSE(QFile::exists(output)) << label;
    }
}

}  // namespace
