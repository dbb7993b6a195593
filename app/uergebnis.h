// TFergebnis: the word-list results window. Its only content is the Thai text view `results`.
#pragma once

#include <QMainWindow>
#include <memory>

#include "editor/thailist.h"
#include "platform/qt_host.h"

class Tfmekalon;

namespace platform {
class RunningJob;
}

class TFergebnis : public QMainWindow {
    Q_OBJECT
public:
    // Lists what `main`'s dictionary holds for its editor's selection; the list takes part in the
    // drags of `drag` (the application's shared drag state). Both outlive the window.
    TFergebnis(Tfmekalon& main, DragState& drag);
    ~TFergebnis() override;

    platform::ThaiHost* host;
    std::unique_ptr<TThailist> results;

    // One search for the editor's current text; while a search runs, the request to stop it.
    void searchline();

    void SelectWord1Click();
    void SelectLinewhole1Click();
    void Selectallclick();
    void Copy1Click();
    void WordwrapClick();

protected:
    void closeEvent(QCloseEvent* event) override;  // FormClose

private:
    Tfmekalon& main_;
    // The search listing now, or nullptr; a search stopped while it winds down is still here.
    platform::RunningJob* search_ = nullptr;
};
