// Reading the chat-log file: a pure parser over the file's bytes. Every field
// is checked against the end of the data first; reading stops at the first
// field that would pass it, and the records read so far are kept.
#pragma once

#include "net/ChatLogFormat.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>

enum class ChatLogReadStatus {
    Complete, // the data ends exactly after the last record (or is empty)
    Truncated, // a field would pass the end: a cut or damaged record
};

struct ChatLogReadResult
{
    QList<ChatLogEntry> records;
    ChatLogReadStatus status = ChatLogReadStatus::Complete;
    // Where the last complete record ends (4 after a header alone, 0 for data
    // of 3 bytes or fewer): the length to cut a damaged file back to.
    qsizetype endOffset = 0;
};

namespace ChatLogReader {

// Every complete record, with the default font where a record carries only a
// colour. Names of 50 bytes or more and MAC texts of 16 or more read as
// empty; texts are cut to ChatLogFormat::kMaxTextBytes.
ChatLogReadResult Parse(QByteArrayView data);
// The same walk without decoding: status and endOffset only.
ChatLogReadResult Scan(QByteArrayView data);
// One record from its first byte (its tag) on; none when a field would pass
// the end of the bytes.
std::optional<ChatLogEntry> ParseRecord(QByteArrayView bytes);
// Parses the file; none when it cannot be opened.
std::optional<ChatLogReadResult> ReadFile(const QString &path);

} // namespace ChatLogReader
