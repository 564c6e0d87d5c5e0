// The screen shake without a window: how often a window may send one, how a
// window takes one that arrives, and the path it shakes along.
#pragma once

#include <QList>
#include <QPoint>
#include <optional>

class QRandomGenerator;

// At most one shake every five seconds from one window.
class ShakeRateRule
{
public:
    static constexpr qint64 kIntervalMs = 5000;

    bool MaySend(qint64 now) const { return !m_last || now - *m_last >= kIntervalMs; }
    // A shake went out (or was refused for a plain peer) at that time.
    void Sent(qint64 now) { m_last = now; }

private:
    std::optional<qint64> m_last;
};

// What a window does with an arriving shake.
enum class ShakeReaction {
    Shake, // visible, not minimised and focused: brought forward and shaken
    Flash, // visible but not focused: its caption flashes
    ShowMinimizedAndFlash, // hidden or minimised: shown minimised, without the focus, and flashes
};
ShakeReaction DecideShakeReaction(bool visible, bool minimized, bool focused);

// The steps of one shake: 50 offsets from the window's place, each −15..14
// pixels in x and y, taken 10 ms apart; the window then goes back.
inline constexpr int kShakeSteps = 50;
inline constexpr int kShakeStepMs = 10;
QList<QPoint> ShakeOffsets(QRandomGenerator &random);
