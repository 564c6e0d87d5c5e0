// One line of text per engine event ("ADDED 10.0.0.5 2425 name"...), written
// to a file named by the environment (KWEL_EVENT_LOG) or to any callback. The
// multi-host tests read it to see what a running copy saw. Lines carry peer
// text (names, messages): every line is escaped, so that no peer can end a
// line early or write one of its own.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class MessengerEngine;
class QFile;

class EngineEventLog : public QObject
{
    Q_OBJECT
public:
    using Sink = std::function<void(const QString &line)>;
    EngineEventLog(MessengerEngine &engine, Sink sink, QObject *parent = nullptr);

    // A log into the file that KWEL_EVENT_LOG names, or none when it is unset.
    static EngineEventLog *fromEnvironment(MessengerEngine &engine, QObject *parent);

    static QString dotted(quint32 address);
    // The line with a backslash written as two, the control characters as
    // \n, \r, \t or \xHH and the Unicode line and paragraph separators as
    // \u2028 and \u2029.
    static QString EscapeLine(const QString &line);
};
