// Timers whose handler runs inside the program's one exception boundary (platform::RunCommand),
// as menu commands, keys, mouse buttons and paints do: an error that escapes the handler becomes a
// message, never a crash, and the timer goes on.
#pragma once

#include <QObject>
#include <functional>

class QTimer;

namespace platform {

// Runs `handler` at each timeout of `timer` while `context` lives.
void OnTimeout(QTimer& timer, QObject* context, std::function<void()> handler);
// Runs `handler` once, `ms` milliseconds from now (0: on the event loop's next turn), unless
// `context` is gone by then.
void RunLater(QObject* context, int ms, std::function<void()> handler);

}  // namespace platform
