// Platform services that answer dialogs and questions from a script and record what was shown.
#pragma once

#include <QLabel>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/umsgbox.h"
#include "platform/qt_services.h"

class ScriptedServices : public platform::QtServices {
public:
    ScriptedServices() { platform::Install(this); }
    ~ScriptedServices() override { platform::Install(nullptr); }

    std::deque<std::optional<std::string>> openAnswers;  // nullopt: the user cancels
    std::deque<std::optional<std::string>> saveAnswers;
    std::deque<int> modalAnswers;
    std::deque<bool> printAnswers;
    int printRequests = 0;  // times the print dialog was shown
    std::deque<std::optional<platform::FontChoice>> fontAnswers;

    std::vector<platform::FileDialogRequest> openRequests, saveRequests;
    std::vector<std::string> questions;  // texts of the message box when it was shown
    std::vector<std::string> messages;
    std::vector<std::string> errors;

    std::optional<std::string> OpenFileDialog(const platform::FileDialogRequest& r) override {
        openRequests.push_back(r);
        return Next(openAnswers);
    }
    std::optional<std::string> SaveFileDialog(const platform::FileDialogRequest& r) override {
        saveRequests.push_back(r);
        return Next(saveAnswers);
    }
    // The file type chosen in a save dialog that offers encodings; none left: the preselected one.
    std::deque<std::string> encodingAnswers;
    std::optional<platform::SaveChoice> SaveFileDialogWithEncoding(const platform::FileDialogRequest& r) override {
        const auto path = SaveFileDialog(r);
        if (!path) return std::nullopt;
        std::string encoding = r.encoding;
        if (!encodingAnswers.empty()) {
            encoding = encodingAnswers.front();
            encodingAnswers.pop_front();
        }
        return platform::SaveChoice{*path, encoding};
    }
    bool PrintDialog() override {
        ++printRequests;
        if (printAnswers.empty()) return false;
        bool a = printAnswers.front();
        printAnswers.pop_front();
        return a;
    }
    // The preview is not shown: its paint handler is kept for the test to draw with.
    void PrintPreview(QPrinter&, const std::function<void(QPrinter*)>& paint) override {
        ++previewRequests;
        previewPaint = paint;
        if (onPreview) onPreview();
    }
    int previewRequests = 0;
    std::function<void(QPrinter*)> previewPaint;
    std::function<void()> onPreview;  // what the test does while the preview is open
    std::optional<platform::FontChoice> FontDialog(const platform::FontChoice& initial) override {
        fontRequests.push_back(initial);
        if (fontAnswers.empty()) return std::nullopt;
        auto a = fontAnswers.front();
        fontAnswers.pop_front();
        return a;
    }
    std::vector<platform::FontChoice> fontRequests;
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void ShowWarning(const std::string& text) override { messages.push_back(text); }
    int ShowModal(QDialog& dialog) override {
        if (auto* box = qobject_cast<Tfmsgbox*>(&dialog)) questions.push_back(box->Label1->text().toStdString());
        if (modalAnswers.empty()) {
            unexpectedModal = true;
            return platform::mrCancel;
        }
        int a = modalAnswers.front();
        modalAnswers.pop_front();
        return a;
    }
    void ReportError(const std::string& message) override { errors.push_back(message); }
    void ProcessMessages() override {
        if (onProcessMessages) onProcessMessages();
    }
    std::function<void()> onProcessMessages;  // what the user does while a long command lets events run

    bool unexpectedModal = false;

private:
    static std::optional<std::string> Next(std::deque<std::optional<std::string>>& q) {
        if (q.empty()) return std::nullopt;
        auto a = q.front();
        q.pop_front();
        return a;
    }
};
