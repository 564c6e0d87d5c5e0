// The engine's side of shared files: it answers the peers' list requests
// (CMD_GET_SHARE_LIST, CMD_GET_SHARE_LIST_PASSWORD, CMD_GET_ALL_SHARES) from
// the stored shares, decides what a download request (CMD_SHARE_DOWNLOAD) may
// take, and passes the answers to our own requests on.
//
// The share password guards everything: a list, a download or an
// all-shares answer goes to a peer that gave the password, or whose user
// group may see the shares without it (the rights query; by default no group
// may). A password is checked, and a wrong one counted, only when the
// challenge sent for that very request is echoed
// (MessengerEngine::ChallengeRequest: it names the request, and a copy of
// this program echoes it only for a password request it sent), and wrong
// ones only at a rate per address (GuessLimiter). A download serves only
// entries of the share list as it stands,
// whose paths are still regular files or folders reached without any
// symbolic link.
#pragma once

#include "net/GuessLimiter.h"
#include "net/ShareList.h"
#include "net/WaitingAnswers.h"

#include "net/PacketRecord.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <vector>

class CConfig;
class HostRecord;
class MessengerEngine;

// One of the user's shares as it stands on disk now.
struct LiveShare
{
    qint32 id = 0;
    QString path;
    bool file = true;
    qint64 size = 0; // 0 for a folder: its tree is not walked for a list
    QDateTime modified;
};

class ShareService : public QObject
{
    Q_OBJECT
public:
    explicit ShareService(MessengerEngine &engine, QObject *parent = nullptr);

    // Whether the sender's user group may see the shares without the password.
    using RightsQuery = std::function<bool(const PacketRecord &)>;
    void setRightsQuery(RightsQuery query) { m_rights = std::move(query); }

    // The stored shares whose paths are usable now, in stored order.
    static std::vector<LiveShare> CurrentShares(const CConfig &config);
    // The entry of a path when it is a regular file or a folder reached
    // without a symbolic link; none otherwise.
    static std::optional<LiveShare> Inspect(const QString &path);
    // The list text a peer is sent.
    static QString BuildReply(const CConfig &config);
    static bool PasswordSet(const CConfig &config);
    // The scrambled password a peer gave (as the packet layer delivered it,
    // without CR) against the stored one.
    static bool PasswordMatches(const CConfig &config, QByteArrayView given);
    // The paths a download request may take, none when it is refused.
    static QStringList ResolveDownload(const CConfig &config, QByteArrayView body, bool withoutPassword);

    // Wrong share passwords from one address are checked at a rate; one
    // beyond it is not answered at all (PeerBounds::kSharePasswordTries).
    void setGuessLimits(const GuessLimiter::Limits &limits) { m_guesses = GuessLimiter(limits); }

    // Every packet the engine passes on (connected in the constructor).
    void OnPacket(const PacketRecord &packet, HostRecord *sender);

signals:
    // A listed peer's answers to our requests.
    void shareListArrived(HostRecord *sender, const QString &text);
    void allSharesArrived(HostRecord *sender, const QString &text);
    // A listed peer's download request was granted: the peer's conversation
    // offers the paths.
    void downloadApproved(HostRecord *sender, const QStringList &paths);
    // "SHARELIST ip how", "SHAREDOWNLOAD ip count": for the event log.
    void event(const QString &line);

private:
    bool mayOmitPassword(const PacketRecord &packet) const;
    // True (and the refusal counted) while the address has no check left.
    bool silenced(quint32 address, qint64 nowMs);
    // A password request (CMD_GET_SHARE_LIST_PASSWORD) is challenged and
    // waits for that challenge's echo; then the list for a right one, else
    // one wrong guess counted.
    void challengePassword(const PacketRecord &packet);
    void passwordEchoed(const PacketRecord &echo);
    void dropUnechoedPasswords(qint64 nowMs);
    void weighPassword(const PacketRecord &packet);
    // Whether the request showed it came from its address: a list waits
    // for an echo unless the request's own challenge was echoed.
    enum class Proof { Asked, Shown };
    void answer(const PacketRecord &packet, quint32 command, const QString &text, const QString &how,
        Proof proof = Proof::Asked);

    MessengerEngine &m_engine;
    RightsQuery m_rights;
    GuessLimiter m_guesses;
    // Password requests waiting for the echo of their own challenge.
    WaitingAnswers m_passwords;
};
