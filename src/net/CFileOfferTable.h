// This user's file offers: what was offered with which message, to whom, and
// how far each recipient has received each entry. The serving side checks
// requests against it; the transfer monitor shows it.
#pragma once

#include "net/FileList.h"
#include "net/FileRequest.h"
#include "net/HostRecord.h"

#include <QObject>
#include <memory>
#include <optional>
#include <vector>

// The state of one entry for one recipient.
enum TransferStatus : quint8 { TransferWaiting = 0, TransferReceiving = 1, TransferReceived = 2 };

struct FileOffer
{
    quint32 packetNumber = 0;
    std::vector<HostPtr> destinations;
    std::vector<OfferedFile> entries;
    // One byte per destination and entry, destination by destination.
    std::vector<quint8> status;
    // Made at a recipient's request (a share download), not by the user:
    // such offers are held within the bounds of what a peer may cost us.
    bool requested = false;

    quint8 statusAt(qsizetype destination, qsizetype entry) const;
    qsizetype entryIndex(quint32 fileId) const;
    // The destination of that address and port; with port 0 the first of
    // that address. -1 when there is none.
    qsizetype destinationIndex(quint32 address, quint16 port) const;
    bool isBeingReceived() const;
};

class CFileOfferTable : public QObject
{
    Q_OBJECT
public:
    explicit CFileOfferTable(QObject *parent = nullptr);
    ~CFileOfferTable() override;

    // The texts of the three states as the transfer monitor shows them.
    static QString StatusText(quint8 status);
    // The key of one recipient's transfer of one entry: the offer's packet
    // number, the file id, the IPv4 address and the port, separated, so
    // that no two transfers share a key.
    static QString TransferKey(quint32 packetNumber, quint32 fileId, quint32 address, quint16 port);

    // The offer of the packet number, made when there is none.
    FileOffer *CreateOffer(quint32 packetNumber);
    // Adds a file or folder as a new entry and returns its file id. A
    // symbolic link given here is resolved once (the user chose it); the
    // entry keeps the real path. A folder's size is the total of the regular
    // files below it, without following links. None when the path is
    // neither a regular file nor a folder.
    std::optional<quint32> AddEntry(FileOffer *offer, const QString &path);
    // Attaches the recipients (holding a reference to each) and sets every
    // status byte to waiting.
    void SetRecipients(FileOffer *offer, const std::vector<HostPtr> &destinations);
    FileOffer *FindOffer(quint32 packetNumber) const;
    // Unlinks and frees the offer with its entries and destinations.
    void RemoveOffer(FileOffer *offer);
    // Whether a request of that address for `entries` more items may become
    // an offer: the requested offers it holds, and those of all peers with
    // their entries, stay within their bounds (PeerBounds).
    bool AdmitsRequest(quint32 address, qsizetype entries) const;
    // The recipient of that address and port never confirmed the message of
    // the offer: it is dropped from the offer unless it began fetching.
    // True when it was dropped.
    bool DropUnconfirmed(quint32 packetNumber, quint32 address, quint16 port);
    const std::vector<std::unique_ptr<FileOffer>> &offers() const { return m_offers; }

    // Sets the state of an entry for the recipient of that address and port.
    // When every entry has been received by every recipient the offer is
    // removed. False when the offer, entry or recipient is gone.
    bool SetTransferStatus(quint32 packetNumber, quint32 fileId, quint32 address, quint16 port, quint8 status);
    // CMD_RELEASE_FILES: the recipient of that address and port will not
    // fetch the offer; it is dropped from the offer, and an offer without
    // recipients is removed. False when there was nothing to release.
    bool ReleaseOffer(quint32 packetNumber, quint32 address, quint16 port);

    // A copy of the offers for a serving worker.
    std::vector<OfferSnapshot> Snapshot() const;

signals:
    // The offer's destinations or entries changed (or it was made): the
    // monitor updates the rows of this offer only.
    void offerChanged(quint32 packetNumber);
    // The offer is gone (withdrawn, released by all, or received by all).
    void offerRemoved(quint32 packetNumber);
    void transferStateText(const QString &key, const QString &text);
    // The same change by its parts, for the sender's chat window.
    void transferStatusChanged(quint32 packetNumber, quint32 fileId, quint8 status);
    void transferRemoved(const QString &key);

private:
    void dropDestination(FileOffer *offer, qsizetype destination);

    std::vector<std::unique_ptr<FileOffer>> m_offers;
    quint32 m_nextFileId = 0;
};
