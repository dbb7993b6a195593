// The platform services that take Qt types: one of the program's own windows shown modally, the
// print preview on a QPrinter, the program's question window, and file dialog filters in Qt's
// form. Tests that answer those derive their services from QtServices.
#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "platform/services.h"

class QPrinter;

namespace platform {

class QtServices : public Services {
public:
    // Shows the pages that `paint` draws on the printer (and redraws after a change of the page
    // set-up) until the user closes the preview.
    virtual void PrintPreview(QPrinter& printer, const std::function<void(QPrinter*)>& paint);
    // Shows one of the program's own windows modally and returns its modal result.
    virtual int ShowModal(QDialog& dialog);
};

// The installed services when they are QtServices, else the real ones.
QtServices& CurrentQt();

// The program's own Yes/No/Cancel question window, set by the application when it creates it
// (nullptr when it goes): puts the question into the window and returns the window to be shown
// modally. Without one, AskQuestion shows a standard question box.
using QuestionWindow = std::function<QDialog*(const std::string& text)>;
void SetQuestionWindow(QuestionWindow window);

// The filter list of a file dialog in Qt's form: "Text|*.txt|All|*.*" becomes
// {"Text (*.txt)", "All (*.*)"}.
QStringList QtFilters(const std::string& filter);
// The file types of a save dialog that offers encodings: every filter entry once per encoding,
// "Textfiles, UTF-8 (*.txt)".
QStringList QtEncodingFilters(const std::string& filter, const std::vector<std::string>& encodings);

}  // namespace platform
