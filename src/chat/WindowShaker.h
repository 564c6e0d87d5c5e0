// Shakes a window when a screen shake arrives: a focused window jumps about
// its place from a timer (never a loop on the GUI thread) and goes back; an
// unfocused one flashes; a hidden one is shown minimised and flashes. A shake
// that arrives while the window shakes is ignored.
#pragma once

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>

class QRandomGenerator;
class QWidget;

class WindowShaker : public QObject
{
    Q_OBJECT
public:
    explicit WindowShaker(QWidget *window);

    void Shake();
    bool isShaking() const { return m_timer.isActive(); }
    // How many shakes the window took (ignored ones not counted).
    int shakes() const { return m_shakes; }
    void setRandom(QRandomGenerator *random) { m_random = random; }

private:
    void step();

    QPointer<QWidget> m_window;
    QTimer m_timer;
    QList<QPoint> m_offsets;
    int m_next = 0;
    QPoint m_home;
    int m_shakes = 0;
    QRandomGenerator *m_random = nullptr;
};
