// A print run against an in-memory printer: the services answer and record the warning and run a
// test's action where printing lets pending events run; the parent window is a plain window with
// a caption and the font comes from a bitmap's drawing surface.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/cancel.h"
#include "platform/qt_printer.h"
#include "platform/qt_window.h"
#include "platform/services.h"
#include "platform/qt_surface.h"
#include "print/thaiprint.h"
#include "script/customthai.h"
#include "testing/image_printer.h"
#include "testing/thaiprint_probe.h"

namespace printtest {

class PrintServices : public platform::Services {
public:
    PrintServices() { platform::Install(this); }
    ~PrintServices() override { platform::Install(nullptr); }
    void ShowWarning(const std::string& text) override { warnings.push_back(text); }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void ProcessMessages() override {
        ++events;
        if (onProcessMessages) onProcessMessages();
    }
    std::vector<std::string> warnings, messages;
    int events = 0;
    std::function<void()> onProcessMessages;
};

inline constexpr const char* kCaption = "notes.txt-Mekalon 5.2";

class PrintTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateGlyphImages();
        window.setWindowTitle(QString::fromLatin1(kCaption));
        fontSource.Canvas().SetFontName("Fixedsys");
        fontSource.Canvas().SetFontHeight(13);
        // The page set-up divides by the screen's resolution; the figures below assume 96.
        ASSERT_EQ(window.logicalDpiY(), 96);
    }
    void TearDown() override {
        platform::InstallPrinter(nullptr);
    }

    testprinter::ImagePrinter& UsePrinter(int width, int height, int ppi) {
        printer = std::make_unique<testprinter::ImagePrinter>(width, height, ppi);
        platform::InstallPrinter(printer.get());
        return *printer;
    }
    // A fresh component parented to the window, as the print command makes it.
    std::unique_ptr<testprint::ThaiprintProbe> Component() {
        auto p = std::make_unique<testprint::ThaiprintProbe>();
        p->SetParent(&parent, &fontSource.Canvas());
        return p;
    }
    // Prints with a new component and keeps it for inspection.
    void Print(const std::string& text, int size) {
        component = Component();
        component->PrintText(text, size);
    }
    const testprinter::ImagePrinter::Job& Job(size_t i = 0) const { return printer->Jobs().at(i); }
    // The bitmap sent for a page (the page must hold exactly one copy).
    const QImage& Sent(size_t page) const {
        const auto& copies = Job().pages.at(page).copies;
        EXPECT_EQ(copies.size(), 1u) << "page " << page;
        return copies.at(0).dib;
    }
    std::string Caption() const { return window.windowTitle().toStdString(); }

    PrintServices services;
    QWidget window;
    platform::QtWindow parent{&window};
    platform::Bitmap fontSource{4, 4};
    std::unique_ptr<testprinter::ImagePrinter> printer;
    std::unique_ptr<testprint::ThaiprintProbe> component;
};

// Whether any pixel of the rectangle is black.
inline bool HasInk(const QImage& image, const platform::Rect& r) {
    const bool mono = image.format() == QImage::Format_Mono;
    for (int y = std::max(0, r.top); y < std::min(image.height(), r.bottom); ++y) {
        const uchar* row = image.constScanLine(y);
        for (int x = std::max(0, r.left); x < std::min(image.width(), r.right); ++x) {
            const QRgb c = mono ? image.color((row[x >> 3] >> (7 - (x & 7))) & 1) : reinterpret_cast<const QRgb*>(row)[x];
            if ((c & 0xFFFFFF) == 0) return true;
        }
    }
    return false;
}

// The cells of one line as the cell renderer draws them on white at graphics size `size`
// (starting with the TAB cell, as every printed line does), on a bitmap of `cells` cells.
inline QImage ReferenceLine(const std::string& line, int size, int cells) {
    TCustomthai renderer;
    platform::Bitmap bitmap(1, 1);
    bitmap.SetMonochrome(true);
    renderer.SetCanvasMetrics(bitmap.Canvas(), size);
    bitmap.SetSize(cells * renderer.CellWidth, renderer.RowHeight);
    platform::Surface& canvas = bitmap.Canvas();
    canvas.SetFillColor(platform::clWhite);
    canvas.FillRect({0, 0, bitmap.Width(), bitmap.Height()});
    const std::string text = "\t" + line;
    int pos = 1;
    renderer.DrawX = 0;
    renderer.DrawY = 0;
    while (pos <= static_cast<int>(text.size())) renderer.DrawCell(canvas, text, pos);
    return platform::QtImage(bitmap).convertToFormat(QImage::Format_RGB32);
}

// Whether `part` matches `whole` at (x, y), pixel for pixel in black and white.
inline bool SameAt(const QImage& whole, int x, int y, const QImage& part) {
    for (int j = 0; j < part.height(); ++j)
        for (int i = 0; i < part.width(); ++i) {
            const bool a = (whole.pixel(x + i, y + j) & 0xFFFFFF) == 0;
            const bool b = (part.pixel(i, j) & 0xFFFFFF) == 0;
            if (a != b) return false;
        }
    return true;
}

}  // namespace printtest
