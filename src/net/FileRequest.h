// The requests of a file receiver on a TCP connection: a protocol packet
// with CMD_GET_FILE_DATA and the body "%x:%x:%x:" (offer packet number, file
// id, offset) or CMD_GET_FOLDER and "%x:%x:" (packet number, file id), and
// the check of a request against the offers.
#pragma once

#include "net/FileList.h"
#include "net/FileTransferState.h"

#include <QByteArrayView>
#include <vector>

struct FileRequest
{
    bool folder = false; // CMD_GET_FOLDER
    quint32 packetNumber = 0;
    quint32 fileId = 0;
    quint64 offset = 0;
};

enum class FileRequestStatus {
    Ok,
    Incomplete, // a prefix of a request that may still become one
    Bad,
};

// The most bytes a request may take.
inline constexpr qsizetype kMaxRequestBytes = 16384;

// Parses the bytes received so far. A request is complete once its body
// fields are there; it ends at the packet's NUL, so a NUL before that (or
// kMaxRequestBytes without a request) makes it Bad.
FileRequestStatus ParseFileRequest(QByteArrayView data, FileRequest &out);

// What a serving worker knows of one offer: a copy taken on the GUI thread.
struct OfferSnapshot
{
    struct Recipient
    {
        quint32 address = 0; // IPv4, host order
        quint16 port = 0;
    };
    quint32 packetNumber = 0;
    std::vector<Recipient> recipients;
    std::vector<OfferedFile> entries;
};

// Checks the request from peerAddress against the offers: the offer, the
// peer among its recipients, the file id among its entries and the kind.
// On success (ServeStatus::Running) entry and recipient point into offers.
ServeStatus CheckFileRequest(const std::vector<OfferSnapshot> &offers, const FileRequest &request, quint32 peerAddress,
    const OfferedFile *&entry, const OfferSnapshot::Recipient *&recipient);
