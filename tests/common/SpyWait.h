// Waiting for a signal that a worker thread's queued call emits: polls the
// spy's count instead of QSignalSpy::wait, which can miss such an emission.
#pragma once

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

// One more emission within the time.
inline bool waitFor(QSignalSpy &spy, int ms = 10000)
{
    const qsizetype before = spy.size();
    QElapsedTimer t;
    t.start();
    while (spy.size() == before && t.elapsed() < ms)
        QTest::qWait(10);
    return spy.size() > before;
}
