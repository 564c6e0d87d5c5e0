// The receiving side of a file transfer, as values: one queued item (a file
// or a folder of an offer), what its worker is given and what it reports,
// and the progress and summary texts the chat window shows.
#pragma once

#include "net/Commands.h"
#include "net/FileList.h"

#include <QMetaType>
#include <QString>

class CConfig;

// Where the receive of one item stands.
enum class ReceiveState : int {
    FirstHeader = 0, // folder: waiting for the header of the top folder
    NextHeader = 5, // folder: waiting for the next header
    FileData = 6, // data of a file expected
    ItemDone = 7, // a file inside the folder is complete
    Complete = 8, // the whole item is complete
    Failed = 9, // failed or interrupted
};

// What ended a receive that did not complete.
enum class ReceiveError {
    None,
    Cancelled, // the user interrupted it
    Connect, // the connection could not be made in time
    Send, // the request could not be sent
    PeerClosed, // the connection ended or failed before the item was complete
    Stalled, // no data for the idle time-out
    BadHeader, // a folder header without a valid length, or one that does not parse
    UnsafeName, // a name that would leave its folder ("不安全的文件名")
    NameTooLong, // a path of kMaxReceivePath bytes or more ("文件名太名")
    ReturnAtTop, // a return entry with no folder open
    FileAtTop, // a file outside the top folder
    CreateFolder, // a folder that cannot be created (also one that exists)
    CreateFile, // the partial file cannot be created
    WriteFile, // the partial file cannot be written ("文件不能写")
    OpenTarget, // the folder that receives the item cannot be opened
};

// The row states of the list of offered files.
enum class ReceiveRowStatus : int {
    NotReceived = 3,
    Receiving = 4,
    Received = 5,
};

// The results of the overwrite question (the dialog's button results).
enum class OverwriteChoice : int {
    Yes = 1, // "是"
    Cancel = 2, // "取消"
    OverwriteAll = 4, // "全部覆盖"
    No = 7, // "否": choose another name
};

// Paths whose GBK form has this many bytes or more are refused ("文件名太名").
inline constexpr qsizetype kMaxReceivePath = 260;
// The suffix of a file while it is being received.
inline constexpr char kPartialSuffix[] = ".kwq";
// The prefix of the name a finished file takes when its final name is blocked.
inline constexpr char kAsidePrefix[] = "[kwel]";
// The attribute bit of a read-only item.
inline constexpr quint32 kReadOnlyAttribute = 0x100;

struct FileReceiveLimits
{
    int bufferBytes = 65536; // RECVTRANSMAX_STR: data are written when this much is buffered
    int socketBufferBytes = 65536; // TCPBUFMAX_STR
    int connectTimeoutMs = 10000;
    int idleTimeoutMs = 120000; // a receive without data this long fails
    int progressIntervalMs = 1000; // at most one progress report per interval

    // RECVTRANSMAX_STR (below 8: 65536) and TCPBUFMAX_STR of the configuration.
    static FileReceiveLimits fromConfig(const CConfig &config);
};

// A snapshot of the progress of the running item, for the progress display.
struct ReceiveProgress
{
    quint64 bytesDone = 0;
    quint64 bytesTotal = 0; // the offered size (0: a folder of unknown size)
    qint64 elapsedMs = 0; // since the request was sent
    quint32 filesDone = 0; // files of the item finished
    int percent = 0; // -1: hide the progress display
    QString text;
};

// What the worker reports when it ends.
struct ReceiveResult
{
    ReceiveState state = ReceiveState::Failed; // Complete or Failed
    ReceiveError error = ReceiveError::None;
    bool connected = false; // the connection was made and the request sent
    quint64 bytes = 0; // data of the files finished
    quint32 files = 0; // files finished
    qint64 elapsedMs = 0; // since the request was sent

    bool complete() const { return state == ReceiveState::Complete; }
    bool cancelled() const { return error == ReceiveError::Cancelled; }
};

// A message box or a history line the worker wants shown; queued to the
// GUI thread, the worker never waits for it.
struct ReceiveNotice
{
    enum class Kind { MessageBox, History };
    Kind kind = Kind::MessageBox;
    QString text;
    QString caption;
};

// One queued item: a file or a folder of an offer.
struct FileReceiveJob
{
    quint32 packetNumber = 0; // the message that made the offer
    DecodedFileEntry entry;
    // The full path the item is saved under: the folder that receives it and
    // the name it takes there.
    QString targetPath;
    quint32 peerAddress = 0; // IPv4, host order
    quint16 peerPort = 0;
    // The user has just chosen the target in a save dialog that already
    // asked before overwriting: no overwrite question for this item.
    bool askUser = false;
    // Receive-all: the items of one batch run one after another; the first
    // failure ends the batch.
    bool receiveAll = false;
    int batch = 0; // given by the receiver
    ReceiveResult result; // once it ran

    bool isFolder() const { return entry.kind() == FILE_ATTR_FOLDER; }
};

// What a receive worker is given.
struct ReceiveRequest
{
    QString saveFolder; // receives the item
    QString name; // the name the item takes there (the top folder's name)
    DecodedFileEntry entry;
    quint32 address = 0;
    quint16 port = 0;
    QByteArray packet; // the request, built on the GUI thread
    bool keepPartial = false; // a failed file keeps its ".kwq" (receive-all)
    FileReceiveLimits limits;

    bool isFolder() const { return entry.kind() == FILE_ATTR_FOLDER; }
};

// The body of the request for an item: "%x:%x:%x:" (packet number, file id,
// offset 0) for a file, "%x:%x:" for a folder.
QByteArray FileRequestBody(bool folder, quint32 packetNumber, quint32 fileId);

// The progress of an item: for a file (or a folder of known size) the
// transfer text of done against the offered size, for a folder of size 0 the
// file-count text. A complete item counts as all of its size.
ReceiveProgress MakeReceiveProgress(
    bool folder, quint64 offeredSize, quint64 done, qint64 elapsedMs, quint32 filesDone, bool complete);

// The line after a completed batch: "文件接收完成。总共大小: ... 平均速度:.../s
// 费时:3.25秒  共1个文件:name" (hundredths below 20 seconds only). With
// oneFileName set and at most one item, the name is shown.
QString FormatReceiveSummary(quint64 totalBytes, qint64 elapsedMs, quint32 items, const QString &oneFileName);

// The history lines of a failed or interrupted batch.
QString ReceiveFailedText(); // "文件传送错误!"
QString ReceiveCancelledText(); // "取消文件传送!"

// The question before an existing file is replaced.
QString OverwriteQuestion(const QString &path);

// True when the path is too long to receive into (kMaxReceivePath GBK bytes or more).
bool IsReceivePathTooLong(const QString &path);

Q_DECLARE_METATYPE(ReceiveProgress)
Q_DECLARE_METATYPE(ReceiveResult)
Q_DECLARE_METATYPE(ReceiveNotice)
Q_DECLARE_METATYPE(FileReceiveJob)
