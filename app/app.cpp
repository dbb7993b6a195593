#include "app/app.h"

#include <QGuiApplication>
#include <QKeySequence>
#include <QShortcut>
#include <initializer_list>

#include "app/appicon.h"
#include "app/uabout.h"
#include "app/uergebnis.h"
#include "app/ufinddlg.h"
#include "app/umekalon.h"
#include "app/umsgbox.h"
#include "app/urianthai.h"
#include "app/uthaivk.h"
#include "script/customthai.h"

App::GlyphImages::GlyphImages() { CreateGlyphImages(); }
App::GlyphImages::~GlyphImages() { FreeGlyphImages(); }

App::App() {
    // Every window shows the application icon; the input-mode icons carry it at the larger sizes.
    QGuiApplication::setWindowIcon(AppIcon());
    // Each window is complete, its creation handler included, before the next is made: the
    // virtual keyboard connects itself to the main window's editor, and the find dialog takes
    // the virtual keyboard's icon.
    auto made = [this](auto* window) {
        made_.push_back(window);
        return window;
    };
    main_.reset(made(new Tfmekalon(drag_)));
    keyboard_ = made(new TFthaivk(*main_));
    question_.reset(made(new Tfmsgbox()));
    find_.reset(made(new TFinddlg(*main_, *keyboard_)));
    results_.reset(made(new TFergebnis(*main_, drag_)));
    lookup_.reset(made(new Tfrianthai(*main_, *keyboard_)));
    about_.reset(made(new Tfabout()));
    main_->UseToolWindows(Tools());
    // Alt+K and Alt+T switch the input modes from the tool windows too, as on the main window's
    // menu bar (F2 already reaches every window).
    Tfmekalon* main = main_.get();
    for (QWidget* window : std::initializer_list<QWidget*>{keyboard_, find_.get(), lookup_.get()}) {
        auto* layout = new QShortcut(QKeySequence(QStringLiteral("Alt+K")), window);
        QObject::connect(layout, &QShortcut::activated, main,
                         [main] { main->RunMenuCommand([main] { main->KeyboardF21Click(); }); });
        auto* az = new QShortcut(QKeySequence(QStringLiteral("Alt+T")), window);
        QObject::connect(az, &QShortcut::activated, main,
                         [main] { main->RunMenuCommand([main] { main->ThaionAZ1Click(); }); });
    }
}

App::~App() {
    // The main window lets go of the others first: nothing it does while they close reaches one
    // that is half gone.
    main_->UseToolWindows({});
    about_.reset();
    lookup_.reset();
    results_.reset();
    find_.reset();
    question_.reset();
    delete keyboard_;
    keyboard_ = nullptr;
    main_.reset();
    made_.clear();
}
