#include "net/ShareService.h"

#include "core/CConfig.h"
#include "core/Gbk.h"
#include "net/CFileOfferTable.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/HostRecord.h"
#include "net/MessengerEngine.h"
#include "net/PacketCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QSet>
#include <sys/stat.h>

namespace {

QByteArray storedPassword(const CConfig &config)
{
    const qsizetype nul = config.FileSharePwd.indexOf('\0');
    return nul < 0 ? config.FileSharePwd : config.FileSharePwd.left(nul);
}

QString dotted(quint32 address)
{
    return QHostAddress(address).toString();
}

} // namespace

ShareService::ShareService(MessengerEngine &engine, QObject *parent)
    : QObject(parent)
    , m_engine(engine)
{
    connect(&engine, &MessengerEngine::packetDispatched, this, &ShareService::OnPacket);
}

std::optional<LiveShare> ShareService::Inspect(const QString &path)
{
    // The stored path must be the real one: a link anywhere in it (the
    // entry itself replaced by a link, or a folder above it) makes the
    // canonical path differ.
    const QString clean = QDir::cleanPath(path);
    if (clean.isEmpty() || !QDir::isAbsolutePath(clean) || QFileInfo(clean).canonicalFilePath() != clean)
        return std::nullopt;
    struct stat st;
    if (::lstat(QFile::encodeName(clean).constData(), &st) != 0)
        return std::nullopt;
    LiveShare share;
    share.path = clean;
    if (S_ISREG(st.st_mode)) {
        share.size = qint64(st.st_size);
    } else if (S_ISDIR(st.st_mode) && clean != QLatin1String("/")) {
        share.file = false;
    } else {
        return std::nullopt;
    }
    share.modified = QDateTime::fromSecsSinceEpoch(st.st_mtime);
    return share;
}

std::vector<LiveShare> ShareService::CurrentShares(const CConfig &config)
{
    std::vector<LiveShare> out;
    for (const ShareList::StoredShare &stored : ShareList::ParseStored(config.FileShareInfo)) {
        if (auto live = Inspect(stored.path)) {
            live->id = stored.id;
            out.push_back(std::move(*live));
        }
    }
    return out;
}

QString ShareService::BuildReply(const CConfig &config)
{
    std::vector<ShareList::SharedEntry> entries;
    for (const LiveShare &share : CurrentShares(config)) {
        ShareList::SharedEntry entry;
        entry.id = share.id;
        entry.name = QFileInfo(share.path).fileName();
        entry.file = share.file;
        entry.size = share.size;
        entry.modified = share.modified;
        entries.push_back(std::move(entry));
    }
    return ShareList::BuildReceived(entries);
}

bool ShareService::PasswordSet(const CConfig &config)
{
    return !storedPassword(config).isEmpty();
}

bool ShareService::PasswordMatches(const CConfig &config, QByteArrayView given)
{
    // The packet layer drops CR from every text body, and a scrambled 'r' is
    // a CR: compare both without them. A password that is nothing but such
    // characters never matches, so no empty text opens it.
    const QByteArray stored = PacketCodec::StripCarriageReturns(storedPassword(config));
    const QByteArray sent = PacketCodec::StripCarriageReturns(given);
    return !stored.isEmpty() && stored == sent;
}

QStringList ShareService::ResolveDownload(const CConfig &config, QByteArrayView body, bool withoutPassword)
{
    const ShareList::Request request = ShareList::ParseRequest(body);
    if (!request.wellFormed)
        return {};
    if (request.hasPassword && !withoutPassword) {
        const bool ok = PasswordSet(config) ? PasswordMatches(config, request.password) : request.password.isEmpty();
        if (!ok)
            return {};
    } else if (!request.hasPassword && PasswordSet(config) && !withoutPassword) {
        return {};
    }
    const std::vector<ShareList::StoredShare> stored = ShareList::ParseStored(config.FileShareInfo);
    QStringList paths;
    QSet<qint32> seen; // a request naming an id many times costs one look each
    for (const ShareList::RequestItem &item : request.items) {
        if (seen.contains(item.id))
            continue;
        seen.insert(item.id);
        for (const ShareList::StoredShare &share : stored) {
            if (share.id != item.id)
                continue;
            const auto live = Inspect(share.path);
            if (!live)
                continue;
            if (ShareList::RequestTime(live->modified) == item.time && !paths.contains(live->path))
                paths.append(live->path);
            break;
        }
    }
    return paths;
}

bool ShareService::mayOmitPassword(const PacketRecord &packet) const
{
    return !PasswordSet(m_engine.config()) || (m_rights && m_rights(packet));
}

void ShareService::answer(
    const PacketRecord &packet, quint32 command, const QString &text, const QString &how, Proof proof)
{
    // A list can be many times the request: listed peers only, once a second
    // (the short password answers go to anyone who asks).
    const bool list = how == QLatin1String("list") || how == QLatin1String("all");
    const auto send = [this, to = packet.key, command, text, how] {
        if (m_engine.SendTextAnswer(to, command, text))
            emit event(QStringLiteral("SHARELIST %1 %2").arg(dotted(to.address), how));
    };
    if (!list) {
        send();
        return;
    }
    // ...and to an address that shows it receives there (a second
    // challenge right after the first would wait for a peer that echoes
    // one a second).
    if (!m_engine.MayAnswerListed(packet.key, command))
        return;
    if (proof == Proof::Shown)
        send();
    else
        m_engine.AnswerWhenReceiver(packet.key, this, send);
}

bool ShareService::silenced(quint32 address, qint64 nowMs)
{
    // An address that guessed wrong faster than the rate hears nothing
    // until its next check, not even a challenge, nor whether the guess was
    // right. Only guesses whose own challenge was echoed take checks, so
    // guesses forged in its name never hold an address back.
    if (!m_guesses.IsSilenced(address, nowMs))
        return false;
    m_engine.Refuse(PeerRefusal::SharePassword, address);
    return true;
}

void ShareService::challengePassword(const PacketRecord &packet)
{
    const quint32 address = packet.key.address;
    const qint64 now = PeerRateLimiter::Now();
    if (silenced(address, now))
        return;
    // Each password waits for the echo of a challenge of its own, even from
    // an address that showed before that it receives there: a guess forged
    // in someone else's name is never checked, nor counted against him.
    // (Nothing on a wire can come from a loopback address.)
    if (AnswerBudget::IsLoopback(address)) {
        weighPassword(packet);
        return;
    }
    dropUnechoedPasswords(now);
    const std::optional<quint32> number = m_engine.ChallengeRequest(packet.key, packet.packetNumber);
    if (!number)
        return;
    if (const std::optional<quint32> gave = m_passwords.Add(
            { address, now + PeerBounds::kChallengeMs, this, [this, packet] { weighPassword(packet); }, *number }))
        m_engine.Refuse(PeerRefusal::AnswerUnproven, *gave);
}

void ShareService::passwordEchoed(const PacketRecord &echo)
{
    dropUnechoedPasswords(PeerRateLimiter::Now());
    // What the address asked for goes outside its part of the budget.
    m_engine.answerBudget().BeginRelease(echo.key.address);
    for (const WaitingAnswers::Answer &w : m_passwords.TakeEcho(echo.key.address, EchoedPacketNumber(echo)))
        w.run();
    m_engine.answerBudget().EndRelease();
}

void ShareService::dropUnechoedPasswords(qint64 nowMs)
{
    for (const quint32 address : m_passwords.Expire(nowMs))
        m_engine.Refuse(PeerRefusal::AnswerUnproven, address);
}

void ShareService::weighPassword(const PacketRecord &packet)
{
    const quint32 address = packet.key.address;
    const qint64 now = PeerRateLimiter::Now();
    if (silenced(address, now))
        return;
    const CConfig &config = m_engine.config();
    if (mayOmitPassword(packet) || PasswordMatches(config, packet.body)) {
        // Weighed only once the request's own challenge came back.
        answer(packet, CMD_SHARE_LIST, BuildReply(config), QStringLiteral("list"), Proof::Shown);
        return;
    }
    answer(packet, CMD_SHARE_LIST, QLatin1String(ShareList::kWrongPassword), QStringLiteral("wrong-password"));
    if (m_guesses.Wrong(address, now))
        emit event(QStringLiteral("SHAREPASSWORD %1 silenced").arg(dotted(address)));
}

void ShareService::OnPacket(const PacketRecord &packet, HostRecord *sender)
{
    const CConfig &config = m_engine.config();
    switch (packet.command()) {
    case CMD_GET_SHARE_LIST:
        if (mayOmitPassword(packet))
            answer(packet, CMD_SHARE_LIST, BuildReply(config), QStringLiteral("list"));
        else
            answer(packet, CMD_SHARE_LIST, QLatin1String(ShareList::kNeedPassword), QStringLiteral("need-password"));
        break;
    case CMD_GET_SHARE_LIST_PASSWORD:
        challengePassword(packet);
        break;
    case CMD_ANSWER_READ:
        passwordEchoed(packet);
        break;
    case CMD_GET_ALL_SHARES: {
        // Only shares anyone may see are listed to everyone; a hidden user
        // does not show himself this way.
        if (!mayOmitPassword(packet) || m_engine.isHidden() || config.FileShareInfo.trimmed().isEmpty())
            break;
        const QString reply = BuildReply(config);
        if (!reply.isEmpty())
            answer(packet, CMD_ALL_SHARES, reply, QStringLiteral("all"));
        break;
    }
    case CMD_SHARE_DOWNLOAD: {
        if (!sender)
            break;
        const bool rights = m_rights && m_rights(packet);
        QStringList paths = ResolveDownload(config, packet.body, rights);
        // What the peer asked for and has not fetched is held within bounds.
        if (!paths.isEmpty() && !m_engine.fileOffers().AdmitsRequest(packet.key.address, paths.size())) {
            m_engine.Refuse(PeerRefusal::OfferBudget, packet.key.address);
            paths.clear();
        }
        emit event(QStringLiteral("SHAREDOWNLOAD %1 %2").arg(dotted(packet.key.address)).arg(paths.size()));
        if (!paths.isEmpty())
            emit downloadApproved(sender, paths);
        break;
    }
    case CMD_SHARE_LIST:
        if (sender)
            emit shareListArrived(sender, packet.bodyText());
        break;
    case CMD_ALL_SHARES:
        if (sender)
            emit allSharesArrived(sender, packet.bodyText());
        break;
    default:
        break;
    }
}
