#pragma once
// Paces the drawing of progress during a long loop on the user-interface thread:
// at most one repaint a frame, since a repaint per step costs more than the step.
//
//   FramePacer pacer;
//   for (…) { …; if (pacer.due()) { bar->setValue(k); panel->repaint(); } }
#include <QElapsedTimer>

namespace tessaly {

inline constexpr int kFrameMs = 16;   // one frame at 60 Hz

class FramePacer {
public:
    FramePacer() { m_drawn.start(); }
    // True when a frame has passed since the last time it was (or since the start).
    bool due()
    {
        if (m_drawn.elapsed() < kFrameMs)
            return false;
        m_drawn.start();
        return true;
    }

private:
    QElapsedTimer m_drawn;
};

} // namespace tessaly
