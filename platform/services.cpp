// The real platform services: Qt's dialogs and message boxes.
#include "platform/qt_services.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <new>

#include "platform/qt_events.h"
#include "platform/qt_printer.h"

namespace platform {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QWidget* DialogParent() { return QApplication::activeWindow(); }

QString& ApplicationTitle() {
    static QString title;
    return title;
}

QString AppTitle() {
    if (!ApplicationTitle().isEmpty()) return ApplicationTitle();
    QString t = QApplication::applicationDisplayName();
    return t.isEmpty() ? QApplication::applicationName() : t;
}

}  // namespace

void SetApplicationTitle(const std::string& title) { ApplicationTitle() = Q(title); }

// "Text files|*.txt|All|*.*" -> {"Text files (*.txt)", "All (*.*)"}. A pattern may list several
// masks separated by ';' ("*.txt;*.doc"), which Qt wants separated by spaces.
QStringList QtFilters(const std::string& filter) {
    QStringList parts = Q(filter).split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (name.isEmpty()) name = patterns;
        out << QStringLiteral("%1 (%2)").arg(name, patterns);
    }
    return out;
}

QStringList QtEncodingFilters(const std::string& filter, const std::vector<std::string>& encodings) {
    QStringList out;
    for (const QString& entry : QtFilters(filter)) {
        const qsizetype open = entry.lastIndexOf(QLatin1String(" ("));
        for (const std::string& encoding : encodings)
            out << entry.left(open) + QStringLiteral(", ") + Q(encoding) + entry.mid(open);
    }
    return out;
}

// Appends the default extension to a file name typed without one.
std::string WithDefaultExt(const std::string& path, const std::string& defaultExt) {
    if (defaultExt.empty()) return path;
    QFileInfo info(Q(path));
    if (!info.suffix().isEmpty()) return path;
    std::string ext = defaultExt;
    if (!ext.empty() && ext.front() == '.') ext.erase(0, 1);
    return path + "." + ext;
}

namespace {

// Shows a file dialog; with `encoding` (a save dialog offering the request's encodings), the
// chosen file type's encoding goes there.
std::optional<std::string> RunFileDialog(const FileDialogRequest& request, bool save, std::string* encoding = nullptr) {
    QFileDialog dialog(DialogParent(), Q(request.title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const qsizetype encodings = encoding ? std::max<qsizetype>(1, static_cast<qsizetype>(request.encodings.size())) : 1;
    const QStringList filters = encoding ? QtEncodingFilters(request.filter, request.encodings) : QtFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int entries = static_cast<int>(filters.size() / encodings);
        qsizetype index = (std::clamp(request.filterIndex, 1, std::max(entries, 1)) - 1) * encodings;
        if (encoding) {
            const auto at = std::find(request.encodings.begin(), request.encodings.end(), request.encoding);
            if (at != request.encodings.end()) index += at - request.encodings.begin();
        }
        dialog.selectNameFilter(filters[std::min(index, filters.size() - 1)]);
    }
    if (save) {
        if (!request.defaultExt.empty()) {
            std::string ext = request.defaultExt;
            if (ext.front() == '.') ext.erase(0, 1);
            dialog.setDefaultSuffix(Q(ext));
        }
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    }
    if (!request.fileName.empty()) {
        QFileInfo info(Q(request.fileName));
        if (info.isAbsolute() || request.fileName.find('/') != std::string::npos)
            dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    std::string path = files.front().toStdString();
    if (save) path = WithDefaultExt(path, request.defaultExt);
    if (encoding && !request.encodings.empty()) {
        const qsizetype chosen = filters.indexOf(dialog.selectedNameFilter());
        *encoding = request.encodings[static_cast<size_t>(std::max<qsizetype>(chosen, 0) % encodings)];
    }
    return path;
}

}  // namespace

std::optional<std::string> Services::OpenFileDialog(const FileDialogRequest& request) {
    return RunFileDialog(request, false);
}

std::optional<std::string> Services::SaveFileDialog(const FileDialogRequest& request) {
    return RunFileDialog(request, true);
}

std::optional<SaveChoice> Services::SaveFileDialogWithEncoding(const FileDialogRequest& request) {
    std::string encoding = request.encoding;
    auto path = RunFileDialog(request, true, &encoding);
    if (!path) return std::nullopt;
    return SaveChoice{*path, encoding};
}

bool Services::PrintDialog() {
    // The dialog sets up the printer that the print command then prints on. It offers no page
    // range and no choice between the selection and everything. Printing to a PDF file is always
    // among its choices, and the only one where no printer queue is installed.
    QPrintDialog dialog(&SystemPrinter(), DialogParent());
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    return dialog.exec() == QDialog::Accepted;
}

void QtServices::PrintPreview(QPrinter& printer, const std::function<void(QPrinter*)>& paint) {
    QPrintPreviewDialog dialog(&printer, DialogParent());
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&paint](QPrinter* p) { paint(p); });
    dialog.exec();
}

std::optional<FontChoice> Services::FontDialog(const FontChoice& initial) {
    QFont font(Q(initial.name));
    font.setPixelSize(std::max(1, initial.height));
    font.setBold(initial.style & 1);
    font.setItalic(initial.style & 2);
    font.setUnderline(initial.style & 4);
    font.setStrikeOut(initial.style & 8);
    bool ok = false;
    QFont chosen = QFontDialog::getFont(&ok, font, DialogParent());
    if (!ok) return std::nullopt;
    FontChoice c;
    c.name = chosen.family().toStdString();
    if (chosen.pixelSize() > 0) {
        c.height = chosen.pixelSize();
    } else {
        // The dialog speaks points; a pixel height at the screen's resolution.
        const double dpi = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->logicalDotsPerInchY() : 96.0;
        c.height = std::max(1, static_cast<int>(chosen.pointSizeF() * dpi / 72.0 + 0.5));
    }
    c.style = (chosen.bold() ? 1 : 0) | (chosen.italic() ? 2 : 0) | (chosen.underline() ? 4 : 0) |
              (chosen.strikeOut() ? 8 : 0);
    return c;
}

void Services::ShowMessage(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, AppTitle(), Q(text), QMessageBox::Ok, DialogParent());
    box.exec();
}

void Services::ShowWarning(const std::string& text) {
    QMessageBox box(QMessageBox::Warning, AppTitle(), Q(text), QMessageBox::Ok, DialogParent());
    box.exec();
}

int QtServices::ShowModal(QDialog& dialog) { return dialog.exec(); }

namespace {
QuestionWindow& TheQuestionWindow() {
    static QuestionWindow window;
    return window;
}
}  // namespace

void SetQuestionWindow(QuestionWindow window) { TheQuestionWindow() = std::move(window); }

// The question window goes through these services' ShowModal when they have one (tests answer
// it there).
int Services::AskQuestion(const std::string& text) {
    if (const QuestionWindow& window = TheQuestionWindow()) {
        if (QDialog* dialog = window(text)) {
            auto* qt = dynamic_cast<QtServices*>(this);
            return qt ? qt->ShowModal(*dialog) : dialog->exec();
        }
    }
    const auto answer = QMessageBox::question(DialogParent(), AppTitle(), QString::fromStdString(text),
                                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return answer == QMessageBox::Yes ? mrYes : answer == QMessageBox::No ? mrNo : mrCancel;
}

void Services::ReportError(const std::string& message) {
    QMessageBox box(QMessageBox::Critical, AppTitle(), Q(message), QMessageBox::Ok, DialogParent());
    box.exec();
}

void Services::ProcessMessages() { QCoreApplication::processEvents(); }

namespace {
Services* installed = nullptr;

QtServices& Real() {
    static QtServices real;
    return real;
}
}  // namespace

Services& Current() { return installed ? *installed : Real(); }

QtServices& CurrentQt() {
    if (auto* qt = dynamic_cast<QtServices*>(&Current())) return *qt;
    return Real();
}

void Install(Services* services) { installed = services; }

namespace {
// Shows one failure; a failure of the report itself is dropped, it must not escape either.
void Report(const char* message) {
    static bool reporting = false;
    if (reporting) return;
    reporting = true;
    try {
        Current().ReportError(message);
    } catch (...) {
    }
    reporting = false;
}
}  // namespace

void RunCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::bad_alloc&) {
        Report("There is not enough memory to finish this step.");
    } catch (const std::exception& e) {
        Report(e.what());
    } catch (...) {
        Report("An unknown error ended the command.");
    }
}

void OnTimeout(QTimer& timer, QObject* context, std::function<void()> handler) {
    QObject::connect(&timer, &QTimer::timeout, context, [handler = std::move(handler)] { RunCommand(handler); });
}

void RunLater(QObject* context, int ms, std::function<void()> handler) {
    QTimer::singleShot(ms, context, [handler = std::move(handler)] { RunCommand(handler); });
}

}  // namespace platform
