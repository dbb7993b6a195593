// Printing a text file into a PDF file from the command line, without a window:
//
//     mekalon --pdf OUT.pdf [--size 1|2|3] [--font NAME] FILE
//
// The whole of FILE (read as Open reads it) is printed as the Print command prints a selection,
// on A4 paper, with the options the program starts with (glyph size 1) unless --size or --font
// choose another glyph size or font mode, as the Options menu would. The export runs before
// the program's windows and command line: it needs no display and shows nothing.
#pragma once

#include <QCommandLineOption>
#include <QStringList>
#include <optional>

namespace pdfexport {

// The export's options, as the export reads them and the program's usage (--help) lists them.
struct Options {
    QCommandLineOption pdf, size, font;
};
Options CommandLineOptions();

// Whether the command line asks for an export (--pdf).
bool Requested(int argc, char** argv);

// When the command line asks for an export, runs it in an application of its own and returns
// the exit code; otherwise nothing, and the program starts as usual.
std::optional<int> Run(int& argc, char** argv);

// The export itself, inside a running application: 0 when the PDF file is written, 1 (with a
// message on standard error) when FILE cannot be read, OUT cannot be written or the arguments
// are wrong.
int Export(const QStringList& arguments);

}  // namespace pdfexport
