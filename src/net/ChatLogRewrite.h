// Removing the records of chosen peers from the chat-log file. The file is
// read afresh (what a viewer holds may be stale), the records that stay are
// copied byte for byte into a temporary file beside it, and that file
// replaces the log in one rename: a failure, or a kill at any point, leaves
// the old file whole. Bytes after the last complete record (a record that
// could not be read) are kept as they are.
//
// A date line of a removed peer that the records staying after it still
// need (they are of its day) is written again, once, with the peer fields
// of the first of them, so that no record loses its day.
//
// The caller holds the chat-log writer (ChatLogWriter::Hold) meanwhile.
#pragma once

#include "net/ChatLogIndex.h"

#include <QString>
#include <functional>

namespace ChatLogRewrite {

enum class Status {
    Done, // the file was rewritten, or nothing was to be removed
    CannotRead, // the log could not be opened or read
    CannotWrite, // the temporary file could not be written or renamed: the log is unchanged
};

struct Result
{
    Status status = Status::Done;
    qsizetype removed = 0; // records left out (date lines included)
    qsizetype kept = 0; // records copied
    QString error; // what failed, for the message to the user
};

// True for a record to leave out.
using RemovePredicate = std::function<bool(const ChatLogPeer &peer)>;
// Called after each block written to the temporary file (tests kill the
// process there).
using WriteHook = std::function<void(qint64 bytesWritten)>;

// The file the records are written to before it replaces the log.
QString TemporaryPath(const QString &logPath);

Result RemoveRecords(const QString &logPath, const RemovePredicate &remove, const WriteHook &hook = {});

} // namespace ChatLogRewrite
