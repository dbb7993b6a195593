// Windows run their FormActivate and FormDeactivate handlers from the activation-change event.
#pragma once

#include <QEvent>

template <class Window>
void RunActivationHandlers(Window& window, QEvent* event) {
    if (event->type() != QEvent::ActivationChange) return;
    if (window.isActiveWindow())
        window.FormActivate();
    else
        window.FormDeactivate();
}
