// Runs a host window's pending repaint requests at once, as its next paint event would before
// copying to the screen: tests and benchmarks use it instead of waiting for the event loop.
#pragma once

#include "platform/qt_host.h"

namespace testhost {

class HostPaint : private platform::ThaiHost {
public:
    static void Run(platform::ThaiHost& host) {
        (host.*(&HostPaint::SyncImageSize))();
        (host.*(&HostPaint::RunPending))();
        host.Canvas().Flush();
        (host.*(&HostPaint::PushDamage))();
    }
};

inline void PaintPending(platform::ThaiHost& host) { HostPaint::Run(host); }

}  // namespace testhost
