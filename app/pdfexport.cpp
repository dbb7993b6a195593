// The command-line export of a text file into a PDF file.
#include "app/pdfexport.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFontDatabase>
#include <QPageSize>
#include <QPrinter>
#include <cstring>
#include <iostream>
#include <string>

#include "editor/thailist.h"
#include "platform/qt_printer.h"
#include "platform/services.h"
#include "platform/surface.h"
#include "print/thaiprint.h"
#include "script/customthai.h"

namespace pdfexport {

namespace {

// The start-up font of the main window: the font mode that --font changes.
constexpr const char* kStartFont = "Fixedsys";
constexpr int kStartFontHeight = 13;

// Without a window every message goes to standard error.
class ConsoleServices : public platform::Services {
public:
    ConsoleServices() { platform::Install(this); }
    ~ConsoleServices() override { platform::Install(nullptr); }
    ConsoleServices(const ConsoleServices&) = delete;
    ConsoleServices& operator=(const ConsoleServices&) = delete;
    void ShowMessage(const std::string& text) override { std::cerr << "mekalon: " << text << '\n'; }
    void ShowWarning(const std::string& text) override { std::cerr << "mekalon: " << text << '\n'; }
    void ReportError(const std::string& message) override { std::cerr << "mekalon: " << message << '\n'; }
    void ProcessMessages() override {}
};

// The glyph images live while the export runs.
class GlyphImagesInUse {
public:
    GlyphImagesInUse() { CreateGlyphImages(); }
    ~GlyphImagesInUse() { FreeGlyphImages(); }
    GlyphImagesInUse(const GlyphImagesInUse&) = delete;
    GlyphImagesInUse& operator=(const GlyphImagesInUse&) = delete;
};

int Fail(const std::string& message) {
    std::cerr << "mekalon: " << message << '\n';
    return 1;
}

// Whether a font of that name is installed (the family matched as the font database lists it, case
// aside), or is one of the names that mean the built-in glyphs.
bool FontExists(const QString& name) {
    for (const char* builtIn : {"Fixedsys", "System"})
        if (name.compare(QLatin1String(builtIn), Qt::CaseInsensitive) == 0) return true;
    for (const QString& family : QFontDatabase::families()) {
        // A family offered by several foundries is listed as "Family [Foundry]".
        const qsizetype foundry = family.indexOf(QLatin1String(" ["));
        if (family.compare(name, Qt::CaseInsensitive) == 0 ||
            (foundry > 0 && family.left(foundry).compare(name, Qt::CaseInsensitive) == 0))
            return true;
    }
    return false;
}

// The position of the last use of an option on the command line (-1: not used).
qsizetype LastUse(const QStringList& arguments, const QString& name) {
    for (qsizetype i = arguments.size() - 1; i > 0; --i)
        if (arguments[i] == "--" + name || arguments[i].startsWith("--" + name + "=")) return i;
    return -1;
}

}  // namespace

Options CommandLineOptions() {
    return {QCommandLineOption(QStringLiteral("pdf"), QStringLiteral("Prints the whole of FILE into the PDF file OUT and exits."),
                               QStringLiteral("OUT")),
            QCommandLineOption(QStringLiteral("size"), QStringLiteral("Glyph size for --pdf: 1, 2 or 3."), QStringLiteral("1|2|3")),
            QCommandLineOption(QStringLiteral("font"), QStringLiteral("Font mode with the font NAME for --pdf."),
                               QStringLiteral("NAME"))};
}

bool Requested(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--pdf") == 0 || std::strncmp(argv[i], "--pdf=", 6) == 0) return true;
    return false;
}

std::optional<int> Run(int& argc, char** argv) {
    if (!Requested(argc, argv)) return std::nullopt;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return Export(QApplication::arguments());
}

int Export(const QStringList& arguments) {
    QCommandLineParser parser;
    const auto [pdf, size, font] = CommandLineOptions();
    parser.addOptions({pdf, size, font});
    parser.addPositionalArgument("FILE", "The text file to print.");
    if (!parser.parse(arguments)) return Fail(parser.errorText().toStdString());
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1) return Fail("--pdf prints one text file: mekalon --pdf OUT.pdf FILE");
    const QString out = parser.value(pdf);
    if (out.isEmpty()) return Fail("--pdf needs the name of the PDF file to write.");

    // As the Options menu: a glyph size, or font mode with a font; the later choice counts.
    int graphicsSize = 1;
    platform::Bitmap fontSource(4, 4);
    fontSource.Canvas().SetFontName(kStartFont);
    fontSource.Canvas().SetFontHeight(kStartFontHeight);
    if (parser.isSet(size)) {
        const QString value = parser.value(size);
        if (value != "1" && value != "2" && value != "3") return Fail("--size is 1, 2 or 3.");
    }
    if (parser.isSet(font) && parser.value(font).trimmed().isEmpty()) return Fail("--font needs a font name.");
    if (parser.isSet(font) && !FontExists(parser.value(font)))
        return Fail("There is no font named \"" + parser.value(font).toStdString() + "\".");
    if (parser.isSet(font) && LastUse(arguments, "font") > LastUse(arguments, "size")) {
        fontSource.Canvas().SetFontName(parser.value(font).toStdString());
        graphicsSize = 0;
    } else if (parser.isSet(size)) {
        graphicsSize = parser.value(size).toInt();
    }

    ConsoleServices console;
    const GlyphImagesInUse glyphs;
    try {
        TThailist file;  // read as Open reads a text
        file.LoadFile(files.front().toStdString());
        std::string text = file.JoinedText();
        // An empty file still gives a file: one empty page.
        if (text.empty()) text = "\r\n";
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setOutputFileName(out);
        platform::QtPrinter device(&printer);
        TThaiprint composer;
        composer.SetParent(nullptr, &fontSource.Canvas());
        composer.PrintText(text, graphicsSize, device);
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
    return 0;
}

}  // namespace pdfexport
