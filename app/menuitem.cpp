#include "app/menuitem.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <utility>

namespace menus {

QAction* AddItem(QWidget* menu, const char* name, const char* caption, const char* shortcut,
                 std::function<void()> command) {
    auto* a = new QAction(QString::fromUtf8(caption), menu);
    a->setObjectName(QString::fromLatin1(name));
    if (shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(shortcut)));
    if (command) QObject::connect(a, &QAction::triggered, a, std::move(command));
    menu->addAction(a);
    return a;
}

QAction* AddSeparator(QMenu* menu, const char* name) {
    QAction* a = menu->addSeparator();
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

QMenu* AddMenu(QWidget* menu, const char* name, const char* caption, std::function<void()> onOpen) {
    auto* m = new QMenu(QString::fromUtf8(caption), menu);
    menu->addAction(m->menuAction());
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name));
    if (onOpen) QObject::connect(m, &QMenu::aboutToShow, m, std::move(onOpen));
    return m;
}

}  // namespace menus
