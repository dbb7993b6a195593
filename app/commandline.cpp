// The program's command line, read with Qt's parser before any window exists (so --help and
// --version need no display), and what it opens once the main window is up.
#include "app/commandline.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>

#include "app/helptext.h"
#include "app/pdfexport.h"
#include "app/umekalon.h"
#include "platform/services.h"

namespace {

void Print(std::FILE* to, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), to);
    std::fflush(to);
}

}  // namespace

std::optional<int> ParseCommandLine(int argc, char** argv, CommandLine& options) {
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    if (args.isEmpty()) args << QStringLiteral("mekalon");

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Mekalon: a Thai text editor with translation help."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the program's version."));
    const QCommandLineOption dictionary({QStringLiteral("d"), QStringLiteral("dictionary")},
                                        QStringLiteral("Opens the dictionary file DICT."), QStringLiteral("DICT"));
    const QCommandLineOption noSettings(QStringLiteral("no-settings"),
                                        QStringLiteral("Starts with the default settings and keeps none."));
    // The export without a window (app/pdfexport) takes these before the program starts; they
    // stand here for the usage.
    const auto [pdf, size, font] = pdfexport::CommandLineOptions();
    parser.addOptions({help, version, dictionary, noSettings, pdf, size, font});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The text file to open; a new text if it does not exist."),
                                 QStringLiteral("[FILE]"));

    // The usage names the program as it was started.
    const QString program = QFileInfo(args.first()).fileName();
    auto usage = [&] {
        QString text = parser.helpText();
        const qsizetype colon = text.indexOf(QLatin1Char(':'));
        const qsizetype space = text.indexOf(QLatin1Char(' '), colon + 2);
        if (colon >= 0 && space > colon) text.replace(colon + 2, space - colon - 2, program);
        return text;
    };

    if (!parser.parse(args)) {
        Print(stderr, program + QStringLiteral(": ") + parser.errorText() + QStringLiteral("\n\n") + usage());
        return 2;
    }
    if (parser.isSet(help)) {
        Print(stdout, usage());
        return 0;
    }
    if (parser.isSet(version)) {
        Print(stdout, QString::fromLatin1(kProgramVersion) + QLatin1Char('\n'));
        return 0;
    }
    if (parser.isSet(size) || parser.isSet(font)) {
        Print(stderr, program + QStringLiteral(": --size and --font go with --pdf\n\n") + usage());
        return 2;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        Print(stderr, program + QStringLiteral(": only one FILE can be opened\n\n") + usage());
        return 2;
    }
    if (!files.isEmpty()) options.file = files.first().toLocal8Bit().toStdString();
    options.noSettings = parser.isSet(noSettings);
    if (parser.isSet(dictionary)) options.dictionary = parser.value(dictionary).toLocal8Bit().toStdString();
    return std::nullopt;
}

void StartWith(Tfmekalon& window, const CommandLine& options) {
    if (options.dictionary) platform::RunCommand([&] { window.OpenDictionary(*options.dictionary); });
    if (!options.file) return;
    const QFileInfo info(QString::fromLocal8Bit(options.file->c_str()));
    // A name that does not exist yet (not even as a broken link) is a new text to be saved there.
    if (!info.exists() && !info.isSymLink()) {
        window.textfile = info.absoluteFilePath().toLocal8Bit().toStdString();
        window.SetTitle();
        return;
    }
    platform::RunCommand([&] { window.OpenFile(*options.file); });
}
