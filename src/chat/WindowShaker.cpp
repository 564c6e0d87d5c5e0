#include "chat/WindowShaker.h"

#include "chat/session/ShakeRules.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QWidget>

WindowShaker::WindowShaker(QWidget *window)
    : QObject(window)
    , m_window(window)
{
    m_timer.setInterval(kShakeStepMs);
    connect(&m_timer, &QTimer::timeout, this, &WindowShaker::step);
}

void WindowShaker::Shake()
{
    if (!m_window || isShaking())
        return;
    ++m_shakes;
    switch (DecideShakeReaction(m_window->isVisible(), m_window->isMinimized(), m_window->isActiveWindow())) {
    case ShakeReaction::Shake:
        m_window->raise();
        m_window->activateWindow();
        m_home = m_window->pos();
        m_offsets = ShakeOffsets(m_random ? *m_random : *QRandomGenerator::global());
        m_next = 0;
        m_timer.start();
        break;
    case ShakeReaction::Flash:
        QApplication::alert(m_window);
        break;
    case ShakeReaction::ShowMinimizedAndFlash:
        m_window->setAttribute(Qt::WA_ShowWithoutActivating, true);
        m_window->showMinimized();
        m_window->setAttribute(Qt::WA_ShowWithoutActivating, false);
        QApplication::alert(m_window);
        break;
    }
}

void WindowShaker::step()
{
    if (!m_window || m_next >= m_offsets.size()) {
        m_timer.stop();
        if (m_window)
            m_window->move(m_home);
        return;
    }
    m_window->move(m_home + m_offsets[m_next++]);
}
