// What the file server reports of a connection: a value snapshot of one
// transfer, queued from the send threads to the GUI thread.
#pragma once

#include <QMetaType>
#include <QtGlobal>

enum class ServeStatus {
    Running, // still sending (progress reports)
    Done, // everything sent
    BadRequest, // no request, an unreadable one, or a command other than CMD_GET_FILE_DATA / CMD_GET_FOLDER
    RequestTimeout, // no complete request arrived in time (or the peer closed first)
    NoOffer, // no offer of that packet number
    NotRecipient, // the connection does not come from a recipient of the offer
    NoFile, // the offer has no entry of that file id
    WrongKind, // a file asked for as a folder, or the other way round
    BadOffset, // the offset lies past the end of the file
    OpenFailed, // the file or folder cannot be opened as offered
    SendFailed, // the connection failed, stalled or the file changed under way
    Cancelled, // the server stopped the worker
    Refused, // closed at once: too many connections (in total or from the address)
};

struct TransferState
{
    ServeStatus status = ServeStatus::Running;
    bool started = false; // the request was accepted and sending began
    quint32 packetNumber = 0; // the offer
    quint32 fileId = 0;
    quint32 address = 0; // the recipient's IPv4 address (host order) and port
    quint16 port = 0;
    bool folder = false;
    quint64 bytesDone = 0; // file data sent (from the requested offset on)
    quint64 bytesTotal = 0; // what is to be sent: the rest of the file, or the folder's offered size
    quint32 filesDone = 0; // files of a folder sent completely
    qint64 elapsedMs = 0; // since the request arrived
};

Q_DECLARE_METATYPE(TransferState)
