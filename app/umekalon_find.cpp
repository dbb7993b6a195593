// The main window's find and replace commands beyond opening the find window (F3, Shift+F3,
// Ctrl+H), and the keys and the wheel that step the glyph size.
#include <QEvent>
#include <QWheelEvent>
#include <QWidget>

#include "app/ufinddlg.h"
#include "app/umekalon.h"
#include "inputfield/thaiedit.h"
#include "platform/services.h"

void Tfmekalon::FindNext1Click() {
    if (tools_.Finddlg->te1->Text().empty()) {
        searchesClick();
        return;
    }
    tools_.Finddlg->Search(false);
}

void Tfmekalon::FindPrevious1Click() {
    if (tools_.Finddlg->te1->Text().empty()) {
        searchesClick();
        return;
    }
    tools_.Finddlg->Search(true);
}

void Tfmekalon::Replace1Click() {
    // The selection becomes the search text and stays selected: "Replace" then replaces it first.
    tools_.Finddlg->InitialText = Tm1->SelectedText();
    tools_.Finddlg->ShowForReplace();
    tools_.Finddlg->raise();
    tools_.Finddlg->activateWindow();
}

void Tfmekalon::ZoomIn1Click() { StepGlyphSize(1); }

void Tfmekalon::ZoomOut1Click() { StepGlyphSize(-1); }

void Tfmekalon::StepGlyphSize(int step) {
    const int size = Tm1->Graphicsize;
    if (size < 1 || size > 3) return;  // font mode has no glyph size to step from
    switch (size + step) {
    case 1: smallgraphicsClick(); break;
    case 2: MediumGraphicsClick(); break;
    case 3: Largegraphicsclick(); break;
    default: break;
    }
}

namespace {

// Ctrl with the wheel over the editor's client area: a glyph size for each notch (a touchpad's
// small steps add up to notches); the text does not scroll.
class ZoomWheel : public QObject {
public:
    ZoomWheel(QObject* parent, Tfmekalon& window) : QObject(parent), window_(window) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Wheel) return false;
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (!wheel->modifiers().testFlag(Qt::ControlModifier)) {
            pending_ = 0;
            return false;
        }
        pending_ += wheel->angleDelta().y();
        constexpr int kNotch = 120;
        while (pending_ >= kNotch || pending_ <= -kNotch) {
            const int step = pending_ > 0 ? 1 : -1;
            pending_ -= step * kNotch;
            platform::RunCommand([&] { window_.StepGlyphSize(step); });
        }
        return true;
    }

private:
    Tfmekalon& window_;
    int pending_ = 0;
};

}  // namespace

void Tfmekalon::WatchZoomWheel() {
    QWidget* area = host->viewport();
    area->installEventFilter(new ZoomWheel(area, *this));
}
