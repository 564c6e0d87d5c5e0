#include "net/MessengerEngine.h"

#include "core/CConfig.h"
#include "core/ConfigValues.h"
#include "core/Gbk.h"
#include "core/OpenFileLimit.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/PacketCodec.h"
#include "net/VisibleToList.h"

#include <QCoreApplication>
#include <QHashFunctions>
#include <QRandomGenerator>
#include <QSysInfo>
#include <QThread>
#include <algorithm>
#include <pwd.h>
#include <unistd.h>

namespace {

constexpr qsizetype kNameBytes = 49;
// StatusValue bits that say what a peer refuses.
constexpr quint32 kRefusesAssistance = 0x4;
constexpr quint32 kRefusesVoice = 0x8;
constexpr quint32 kRefusesPictures = 0x10;

QString systemLoginName()
{
    if (const passwd *pw = getpwuid(getuid()); pw && pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER", QStringLiteral("user"));
}

} // namespace

MessengerEngine::MessengerEngine(CConfig &config, CNetManager &net, QObject *parent)
    : QObject(parent)
    , m_config(config)
    , m_net(net)
    , m_login(systemLoginName())
    , m_host(QSysInfo::machineHostName())
    , m_hashSeed(size_t(QRandomGenerator::system()->generate64()))
{
    m_net.setHeaderSource([this] { return ownHeader(); });
    connect(&m_net, &CNetManager::datagramReceived, this, &MessengerEngine::HandleDatagram);
    connect(&m_net, &CNetManager::sourceRefused, this,
        [this](quint32 address) { Refuse(PeerRefusal::SourceAddress, address); });
    // The caps on connections follow the limit of open files in force
    // (raised at start-up).
    m_fileServer.setLimits(FileSendLimits::ForOpenFiles(OpenFileLimit()));
    m_net.setConnectionHandler([this](qintptr descriptor) { m_fileServer.Serve(descriptor); });
    m_waitingSweep.setSingleShot(true);
    connect(&m_waitingSweep, &QTimer::timeout, this, [this] { dropWaitingAnswers(PeerRateLimiter::Now()); });
    m_receipts.SetSender([this](const HostKey &peer, quint32 packetNumber, qint32 answering) {
        SendReply(peer, answering, CMD_MESSAGE_RECEIVED, PacketCodec::FormatNumber(packetNumber));
    });
    m_net.setSendObserver([this](quint32 address, QByteArrayView packet) { noteSent(address, packet); });
    m_net.setProvenFilter([this](quint32 address) { return IsReceiver(address); });
    connect(&m_net, &CNetManager::sendRefused, this,
        [this](quint32 address) { Refuse(PeerRefusal::SendUnresolved, address); });
}

MessengerEngine::~MessengerEngine()
{
    m_net.setHeaderSource({});
    m_net.setSendObserver({});
    m_net.setProvenFilter({});
    m_net.setConnectionHandler({});
    m_hosts.Clear();
}

void MessengerEngine::setIdentity(const QString &loginName, const QString &hostName)
{
    m_login = loginName;
    m_host = hostName;
}

bool MessengerEngine::isHidden() const
{
    return (m_config.StatusValue & OwnStatus::Hidden) != 0;
}

bool MessengerEngine::isAway() const
{
    return m_config.AwayState != 0 || m_config.AwayFlag != 0;
}

OwnHeader MessengerEngine::ownHeader() const
{
    OwnHeader own;
    own.userName = m_login;
    own.hostName = m_host;
    own.headIcon = m_config.FaceImage;
    if (m_ownPictures) {
        const OwnPictureSizes sizes = m_ownPictures();
        own.headPictureSize = sizes.headPicture;
        own.customPictureSize = sizes.customPicture;
    }
    // Under the all-blacklist switch every peer is to see the user as hidden.
    own.statusBits = m_config.AllBlackList ? 0xFFFFFFFFu : m_config.StatusValue;
    own.macText = m_net.ownMac();
    return own;
}

QString MessengerEngine::GetOwnDisplayName() const
{
    QString name = m_config.NICKNAMESTR_STR.isEmpty() ? m_login : m_config.NICKNAMESTR_STR;
    if (isAway()) {
        const int index = m_config.AwayIndex;
        if (index >= 0 && index < int(m_config.AwayNames.size()) && !m_config.AwayNames[index].isEmpty())
            name = QStringLiteral("%1[%2]").arg(name, m_config.AwayNames[index]);
    }
    return name;
}

quint32 MessengerEngine::GetOwnOptionBits() const
{
    quint32 bits = 0;
    if (m_net.hasTcp())
        bits |= OPT_FILE_ATTACH;
    if (m_config.DialUp)
        bits |= OPT_DIALUP;
    if (isAway())
        bits |= OPT_ABSENCE;
    if (m_encryptionReady)
        bits |= OPT_ENCRYPT;
    return bits;
}

QList<quint32> MessengerEngine::subnetAddresses() const
{
    QList<quint32> out;
    for (const QString &entry : m_config.BroadcastList) {
        // An entry may carry more fields after the address.
        const QString address = entry.section(QLatin1String("::"), 0, 0).trimmed();
        if (const auto parsed = ConfigValues::ParseIPv4(address))
            out.append(*parsed);
    }
    return out;
}

void MessengerEngine::AnnouncePresence(quint32 commandWord)
{
    const QByteArray packet = PacketCodec::BuildTextPacket(ownHeader(), m_net.NextPacketNumber(),
        commandWord | GetOwnOptionBits(), GetOwnDisplayName(), m_config.GROUPNAMESTR_STR);
    m_net.Broadcast(packet, subnetAddresses());

    const quint32 command = GET_MODE(commandWord);
    if (command == CMD_ANNOUNCE_ENTRY || command == CMD_ANNOUNCE_STATUS) {
        // Plain IP Messenger peers are told the user has left when they are
        // not to see him: while hidden, or when compatibility is off.
        if (isHidden() || m_config.IPMsgCompatible == 0)
            AnnouncePresence(CMD_ANNOUNCE_EXIT | OPT_PLAIN_PEERS_ONLY);
    }
    if (isHidden())
        sendExtAnnounce();
}

void MessengerEngine::sendExtAnnounce()
{
    QStringList keys;
    for (auto it = m_config.memoGroupNames.cbegin(); it != m_config.memoGroupNames.cend(); ++it) {
        const int position = m_config.FindMemberGroup(it.value());
        if (position < 0 || position >= m_config.MemberGroups.size())
            continue;
        if (m_config.MemberGroups.at(position).visibleWhenHidden)
            keys.append(it.key());
    }
    // The nick name, or the host name when there is none (not the login name
    // the entry falls back to: the list names the machine).
    const QString nick = m_config.NICKNAMESTR_STR.isEmpty() ? m_host : m_config.NICKNAMESTR_STR;
    // Keys that would not fit one packet are left out whole.
    const OwnHeader own = ownHeader();
    const QByteArray body = VisibleToList::Compose(nick, m_config.GROUPNAMESTR_STR, keys,
        std::min(kExtAnnounceBytes - 1, VisibleToList::BodyRoom(own, CMD_EXT_ANNOUNCE)));
    if (body.isEmpty())
        return;
    const QByteArray packet = PacketCodec::BuildPacket(own, m_net.NextPacketNumber(), CMD_EXT_ANNOUNCE, body);
    m_net.Broadcast(packet, subnetAddresses());
}

void MessengerEngine::AnnounceStart()
{
    if (!(m_config.StatusValue & OwnStatus::NoOnlineAnnounce))
        AnnouncePresence(CMD_ANNOUNCE_ENTRY);
}

void MessengerEngine::AnnounceExit()
{
    if (m_config.StatusValue & OwnStatus::NoOfflineAnnounce)
        return;
    AnnouncePresence(CMD_ANNOUNCE_EXIT);
    // A lost datagram would leave us listed: say it twice. The pause runs no
    // event loop: nothing that arrives meanwhile is handled while the program
    // ends.
    QThread::msleep(kExitRepeatMs);
    AnnouncePresence(CMD_ANNOUNCE_EXIT);
}

bool MessengerEngine::AnswerEntry(const HostKey &peer, quint32 commandWord)
{
    if (commandWord == 0)
        return m_net.SendToHost(peer, 0, {});
    return m_net.SendTextToHost(peer, commandWord | GetOwnOptionBits(), GetOwnDisplayName(), m_config.GROUPNAMESTR_STR);
}

bool MessengerEngine::answerEntry(const PacketRecord &entry)
{
    // A plain peer announces itself once, with a short entry, and lists us
    // only from our answer: to an entry from our network it goes whatever
    // the length of our names, once per address in a few seconds (which
    // bounds it); any other within the answer budget.
    const quint32 address = entry.key.address;
    if (onOwnNetwork(address) && m_net.IsPeerAddress(address)
        && m_entryAnswers.allow(address, 0, PeerRateLimiter::Now()))
        return AnswerEntry(entry.key, CMD_ANSWER_ENTRY);
    return SendEntryAnswer(entry, CMD_ANSWER_ENTRY);
}

bool MessengerEngine::SendEntryAnswer(const PacketRecord &packet, quint32 commandWord)
{
    return SendTextReply(packet, commandWord | GetOwnOptionBits(), GetOwnDisplayName(), m_config.GROUPNAMESTR_STR);
}

bool MessengerEngine::MayReach(quint32 address)
{
    // Never an answer to a broadcast, multicast or "this host" address,
    // whatever record or request named it.
    if (!m_net.IsPeerAddress(address)) {
        Refuse(PeerRefusal::SourceAddress, address);
        return false;
    }
    const qint64 now = PeerRateLimiter::Now();
    if (onOwnNetwork(address) || m_budget.IsProven(address, now) || m_offNetworkAnswers.allow(now))
        return true;
    Refuse(PeerRefusal::AnswerBudget, address);
    return false;
}

bool MessengerEngine::onOwnNetwork(quint32 address)
{
    return m_net.IsOnOwnNetwork(address);
}

bool MessengerEngine::MayAnswerBytes(quint32 address, qint64 bytes, qint64 answering)
{
    if (!MayReach(address))
        return false;
    if (m_budget.Spend(address, bytes, PeerRateLimiter::Now(), answering) == AnswerBudget::Verdict::Allowed)
        return true;
    Refuse(PeerRefusal::AnswerBudget, address);
    return false;
}

bool MessengerEngine::IsReceiver(quint32 address) const
{
    return m_budget.IsProven(address, PeerRateLimiter::Now());
}

bool MessengerEngine::sendAnswer(const HostKey &to, qint64 answering, quint32 packetNumber, quint32 commandWord,
    QByteArrayView body, QByteArrayView extension, qint32 extLen)
{
    const QByteArray packet = m_net.BuildPacket(packetNumber, commandWord, body, extension, extLen);
    if (packet.isEmpty() || !mayAnswerStranger(to) || !MayAnswerBytes(to.address, packet.size(), answering))
        return false;
    return m_net.SendDatagram(to.address, to.port, packet);
}

bool MessengerEngine::mayAnswerStranger(const HostKey &to)
{
    // A flood from one address with a new source port each: each packet may
    // buy an answer no larger than itself, but only so many of them a second
    // go toward that address together.
    if (AnswerBudget::IsLoopback(to.address) || FindHost(to.address, to.port)
        || m_strangerAnswers.Charge(
            to.address, 1, PeerBounds::kStrangerAnswersPerSecond, PeerRateLimiter::Now()))
        return true;
    Refuse(PeerRefusal::AnswerRate, to.address);
    return false;
}

bool MessengerEngine::SendAnswer(
    const HostKey &to, quint32 commandWord, QByteArrayView body, QByteArrayView extension, qint32 extLen)
{
    return sendAnswer(to, 0, m_net.NextPacketNumber(), commandWord, body, extension, extLen);
}

bool MessengerEngine::SendReply(
    const PacketRecord &packet, quint32 commandWord, QByteArrayView body, QByteArrayView extension, qint32 extLen)
{
    return SendReply(packet.key, packet.datagramBytes, commandWord, body, extension, extLen);
}

bool MessengerEngine::SendReply(const HostKey &to, qint64 answering, quint32 commandWord, QByteArrayView body,
    QByteArrayView extension, qint32 extLen)
{
    return sendAnswer(to, answering, m_net.NextPacketNumber(), commandWord, body, extension, extLen);
}

bool MessengerEngine::SendTextAnswer(
    const HostKey &to, quint32 commandWord, const QString &body, const QString &extension)
{
    return SendAnswer(to, commandWord, Gbk::encode(body), Gbk::encode(extension));
}

bool MessengerEngine::SendTextReply(
    const PacketRecord &packet, quint32 commandWord, const QString &body, const QString &extension)
{
    return SendReply(packet, commandWord, Gbk::encode(body), Gbk::encode(extension));
}

void MessengerEngine::AnswerWhenReceiver(const HostKey &to, QObject *context, std::function<void()> answer)
{
    // Loopback takes nothing from a wire.
    if (AnswerBudget::IsLoopback(to.address)) {
        answer();
        return;
    }
    const qint64 now = PeerRateLimiter::Now();
    dropWaitingAnswers(now);
    // Each such answer waits for an echo of its own, whether the address
    // proved itself before or not: a forger may use a proven address too,
    // and a copy of this program echoes only what its own request provoked.
    // A read notice asking for its check, for a message that never was: a
    // peer that receives there echoes its body or its packet number (both
    // the challenge), and shows nothing for it. A request after the last
    // challenge's second is challenged anew (the challenge or its echo may
    // have been lost on the way, and a peer would take a copy of the same
    // packet for one it has seen); the number before stays good. While one is
    // on its way to another port of the address, this port gets the same
    // number: the other may have been forged in the address's name.
    bool tried = false;
    const auto sendChallenge = [&](quint32 number) {
        tried = true;
        return sendAnswer(to, 0, number, CMD_MESSAGE_OPENED | OPT_READ_CHECK, PacketCodec::FormatNumber(number));
    };
    if (const std::optional<quint32> again = m_budget.ChallengeAnotherPort(to.address, to.port, now)) {
        sendChallenge(*again);
    } else if (!m_budget.ChallengePending(to.address, now)) {
        // Only a sender really challenged takes a place among the waiting
        // answers: one the budget or the off-network bound kept the
        // challenge from is challenged anew with its next request.
        if (!m_budget.Challenge(to.address, now, to.port, sendChallenge)) {
            // None went: its send was refused (and counted), or every
            // address remembered proved itself.
            if (!tried)
                Refuse(PeerRefusal::AnswerUnproven, to.address);
            return;
        }
    }
    if (const std::optional<quint32> gave
        = m_waiting.Add({ to.address, now + PeerBounds::kChallengeMs, context, std::move(answer) }))
        Refuse(PeerRefusal::AnswerUnproven, *gave);
    if (!m_waitingSweep.isActive())
        m_waitingSweep.start(int(PeerBounds::kChallengeMs));
}

std::optional<quint32> MessengerEngine::ChallengeRequest(const HostKey &to, quint32 requestNumber)
{
    // The number is the request's alone (never 0: a body that does not parse
    // reads as 0), never the address's challenge: that one goes again, naming
    // no request, to a request from another port, and a copy of this program
    // echoes such a challenge for any request it sent the address, a picture
    // request too. The request's packet number after the body tells our
    // copies which request it is for; plain peers echo the number as ever.
    // (A refused send is counted.)
    const quint32 number = QRandomGenerator::system()->bounded(1u, 0xFFFFFFFFu);
    if (!sendAnswer(to, 0, number, CMD_MESSAGE_OPENED | OPT_READ_CHECK, PacketCodec::FormatNumber(number),
            PacketCodec::FormatNumber(requestNumber)))
        return std::nullopt;
    return number;
}

void MessengerEngine::dropWaitingAnswers(qint64 nowMs)
{
    for (const quint32 address : m_waiting.Expire(nowMs))
        Refuse(PeerRefusal::AnswerUnproven, address);
    if (const std::optional<qint64> due = m_waiting.NextDue())
        m_waitingSweep.start(int(std::max<qint64>(1, *due - nowMs)));
}

void MessengerEngine::challengeEchoed(const PacketRecord &packet)
{
    // The echo names the challenge in its body, or (as the plain protocol's
    // receipts do) echoes the challenge's packet number: both are the same.
    if (!m_budget.Echo(packet.key.address, EchoedPacketNumber(packet), PeerRateLimiter::Now()))
        return;
    // What the address asked for goes outside its part of the budget.
    m_budget.BeginRelease(packet.key.address);
    for (const WaitingAnswers::Answer &w : m_waiting.Take(packet.key.address))
        if (w.context)
            w.run();
    m_budget.EndRelease();
}

void MessengerEngine::noteSent(quint32 address, QByteArrayView packet)
{
    quint32 packetNumber = 0, commandWord = 0;
    if (!PacketCodec::ReadHead(packet, packetNumber, commandWord))
        return;
    const qint64 now = PeerRateLimiter::Now();
    switch (GET_MODE(commandWord)) {
    case CMD_SEND_MESSAGE:
        // The peer's read notice for it is echoed whenever it comes (its
        // resends are the same message).
        if (commandWord & OPT_READ_CHECK)
            m_sentReadChecks.Add(address, packetNumber);
        return;
    case CMD_ANNOUNCE_ENTRY:
    case CMD_ANNOUNCE_STATUS:
        // Our broadcast entry asks every peer for a place in its list (an
        // entry to one address, which a forged packet can bring about,
        // does not).
        if (!m_net.IsPeerAddress(address))
            m_askedAllUntil = now + PeerBounds::kAskedEchoMs;
        return;
    case CMD_GET_SHARE_LIST_PASSWORD:
        // The challenge that names it is echoed once; it opens the window
        // below as well, for copies whose challenges name no request.
        m_sentPasswords.Add(address, packetNumber, now + PeerBounds::kAskedEchoMs);
        break;
    case CMD_GET_PICTURE:
    case CMD_GET_CUSTOM_PICTURE:
    case CMD_GET_SHARE_LIST:
    case CMD_GET_ALL_SHARES:
    case CMD_PICTURE_DATA:
    case CMD_HEAD_PICTURE_DATA:
    case CMD_CUSTOM_PICTURE_DATA:
        break;
    default:
        return; // no request a peer would challenge
    }
    if (m_asked.size() >= PeerBounds::kAnswerPeers && !m_asked.contains(address))
        m_asked.removeIf([now](const QHash<quint32, qint64>::iterator &it) { return it.value() <= now; });
    if (m_asked.size() < PeerBounds::kAnswerPeers || m_asked.contains(address))
        m_asked[address] = now + PeerBounds::kAskedEchoMs;
}

bool MessengerEngine::mayEcho(const PacketRecord &notice)
{
    // Only a notice we gave cause for: one we did not provoke is a forger's,
    // proving its requests in our name. A notice for a message we sent there
    // asking for it...
    const quint32 address = notice.key.address;
    const qint64 now = PeerRateLimiter::Now();
    bool echo = m_sentReadChecks.Contains(address, EchoedPacketNumber(notice), now);
    if (!echo) {
        if (const std::optional<quint32> request = ChallengedRequest(notice)) {
            // ...a challenge that names the request it is for (a share
            // password): once, and only for such a request we sent there
            // lately, so a challenge that follows our picture request proves
            // no password forged in our name. Bounded by our own requests, it
            // takes no turn of the short answers: notices forged in the
            // peer's name never crowd it out.
            return m_sentPasswords.Take(address, *request, now);
        }
        // ...or a challenge that names none, from an address we asked
        // something of lately, or from any after our broadcast entry.
        echo = now < m_askedAllUntil || now < m_asked.value(address, 0);
    }
    return echo && MayAnswer(notice.key, CMD_MESSAGE_OPENED);
}

void MessengerEngine::RefreshUsers(bool clearFirst)
{
    if (clearFirst)
        RemoveAllHosts();
    AnnouncePresence(CMD_ANNOUNCE_ENTRY);
}

HostRecord *MessengerEngine::FindHost(quint32 address, quint16 port) const
{
    return m_hosts.Search(CHostTable::ByAddress, HostKey(QString(), QString(), address, port));
}

void MessengerEngine::applyMemo(HostRecord &host) const
{
    const QString memoName = host.keyText.isEmpty() ? QString() : m_config.memoNickNames.value(host.keyText);
    if (!memoName.isEmpty())
        host.displayName = Gbk::truncate(memoName, kNameBytes);
    else
        host.displayName = host.nickName.isEmpty() ? host.key.loginName() : host.nickName;
    const QString group = host.keyText.isEmpty() ? QString() : m_config.memoGroupNames.value(host.keyText);
    host.customGroup = group.isEmpty() ? DefaultGroups::MyFriends() : Gbk::truncate(group, kNameBytes);
}

HostRecord *MessengerEngine::AddOrUpdateHost(const PacketRecord &packet, quint32 commandWord,
    const QString &nameText, const QString &groupText, qint32 extVersion, qint32 headIcon, quint32 statusBits,
    const QString &macText, qint32 headPictureSize, qint32 customPictureSize)
{
    HostPtr host(FindHost(packet.key.address, packet.key.port));
    const bool added = !host;
    if (added) {
        const Room room = isOwnPacket(packet) ? Room::Yes : roomForNewHost(packet);
        if (room == Room::No)
            return nullptr;
        if (room == Room::ForReceivers) {
            // No place now: a sender that shows it receives there gets one
            // (its record is made when it echoes).
            m_recordAwaitsEcho = true;
            AnswerWhenReceiver(packet.key, this, [this, packet, commandWord, nameText, groupText, extVersion,
                                                     headIcon, statusBits, macText, headPictureSize,
                                                     customPictureSize] {
                AddOrUpdateHost(packet, commandWord, nameText, groupText, extVersion, headIcon, statusBits, macText,
                    headPictureSize, customPictureSize);
            });
            return nullptr;
        }
        host = HostPtr(new HostRecord);
        host->key = packet.key;
        host->listedOrder = ++m_listedCount;
        if (!m_hosts.Insert(host.data()))
            return nullptr;
    } else if (CompareHostKeys(host->key, packet.key, 2) != 0) {
        // The peer changed its login or host name: keep the indexes sorted.
        m_hosts.Remove(host.data());
        host->key = packet.key;
        if (!m_hosts.Insert(host.data())) {
            emit hostRemoved(host.data(), false);
            return nullptr;
        }
    }
    host->nickName = Gbk::truncate(nameText, kNameBytes);
    host->groupName = Gbk::truncate(groupText, kNameBytes);
    host->extension = extVersion;
    host->previousHeadIcon = host->headIcon;
    host->headIcon = headIcon;
    host->statusBits = (statusBits & ~(HostRecord::StatusAway | HostRecord::StatusSortLast))
                       | (commandWord & OPT_ABSENCE ? HostRecord::StatusAway : 0);
    host->peerFlags = statusBits & kRefusesPictures ? HostRecord::PeerRefusesPictures : 0;
    host->featureBlocks = statusBits & (kRefusesAssistance | kRefusesVoice);
    host->capabilities = GET_OPT(commandWord);
    if (!macText.isEmpty())
        host->keyText = macText;
    host->headPictureSize = headPictureSize;
    host->customPictureSize = customPictureSize;
    applyMemo(*host);
    if (isOwnPacket(packet))
        host->displayName = DefaultGroups::Self();
    if (added)
        emit hostAdded(host.data());
    else
        emit hostUpdated(host.data());
    return host.data();
}

MessengerEngine::Room MessengerEngine::roomForNewHost(const PacketRecord &packet)
{
    const quint32 address = packet.key.address;
    const qsizetype own = m_hosts.CountAt(address);
    if (own >= PeerBounds::kHostsPerAddress) {
        Refuse(PeerRefusal::HostTableFull, address);
        return Room::No;
    }
    if (m_hosts.Count() < PeerBounds::kHosts)
        return Room::Yes;
    const qint64 now = PeerRateLimiter::Now();
    if (!m_budget.IsProven(address, now) && !answersIntroduction(packet)) {
        Refuse(PeerRefusal::HostTableFull, address);
        return Room::ForReceivers;
    }
    // A fair share per address: the address that holds the most records
    // (the sender's own when it holds as many) gives up its latest, so that
    // peers of one record stay while any address holds more. When each holds
    // one, the latest record whose address never proved itself goes: in a
    // flood of forged entries, one of the flood's.
    const qsizetype most = m_hosts.MostAtOneAddress();
    HostRecord *drop = nullptr;
    if (most > 1)
        drop = m_hosts.LatestAt(own >= most ? address : m_hosts.FullestAddress());
    else
        drop = m_hosts.Latest([&](const HostRecord &h) {
            return !isOwnKey(h.key) && !m_budget.IsProven(h.key.address, now);
        });
    if (!drop) {
        Refuse(PeerRefusal::HostTableFull, address);
        return Room::No;
    }
    Refuse(PeerRefusal::HostTableFull, drop->key.address);
    RemoveHost(drop, false);
    return Room::Yes;
}

void MessengerEngine::forgetIntroductions(qint64 nowMs)
{
    while (!m_introduced.empty() && m_introduced.front().until <= nowMs)
        m_introduced.pop_front();
}

bool MessengerEngine::answersIntroduction(const PacketRecord &packet)
{
    if (packet.command() != CMD_ANSWER_ENTRY || !onOwnNetwork(packet.key.address))
        return false;
    const qint64 now = PeerRateLimiter::Now();
    forgetIntroductions(now);
    return std::any_of(m_introduced.cbegin(), m_introduced.cend(),
        [&](const Introduced &i) { return i.address == packet.key.address && i.port == packet.key.port; });
}

void MessengerEngine::RemoveHost(HostRecord *host, bool notify)
{
    if (!host)
        return;
    HostPtr hold(host);
    if (!m_hosts.Search(CHostTable::ByAddress, host->key))
        return;
    emit hostRemoved(host, notify);
    host->FreePublicKey();
    m_hosts.Remove(host);
}

void MessengerEngine::RemoveAllHosts()
{
    while (m_hosts.Count() > 0)
        RemoveHost(m_hosts.At(CHostTable::ByAddress, m_hosts.Count() - 1), true);
}

bool MessengerEngine::isOwnKey(const HostKey &key) const
{
    return key.address == m_net.ownAddress() && key.port == m_net.port();
}

bool MessengerEngine::isOwnPacket(const PacketRecord &packet) const
{
    return isOwnKey(packet.key);
}

void MessengerEngine::AddUsersFromText(const PacketRecord &packet)
{
    if (packet.key.address == m_net.ownAddress())
        return;
    const VisibleToList::Body body = VisibleToList::Parse(packet.bodyText());
    if (!VisibleToList::Names(body.keys, m_net.ownMac()))
        return;
    AddOrUpdateHost(packet, packet.commandWord, body.displayName, body.groupName, packet.extVersion, packet.headIcon,
        packet.statusBits, packet.macText, packet.headPictureSize, packet.customPictureSize);
}

bool MessengerEngine::MayAnswer(const HostKey &peer, quint32 command)
{
    if (m_answers.allow(peer.address, peer.port, PeerRateLimiter::Now(), command))
        return true;
    Refuse(PeerRefusal::AnswerRate, peer.address);
    return false;
}

bool MessengerEngine::MayAnswerListed(const HostKey &peer, quint32 command)
{
    if (!FindHost(peer.address, peer.port)) {
        Refuse(PeerRefusal::AnswerUnlisted, peer.address);
        return false;
    }
    return MayAnswer(peer, command);
}

void MessengerEngine::HandleDatagram(const QByteArray &data, quint32 address, quint16 port)
{
    if (m_restricted && m_restricted(address))
        return;
    PacketRecord packet;
    if (PacketCodec::ParsePacket(data, address, port, packet) != PacketStatus::Ok)
        return;
    // Only a well-formed packet is remembered for its address.
    m_budget.Received(address, data.size(), PeerRateLimiter::Now());
    if (m_admission && m_admission(packet))
        return;
    if (packet.command() == CMD_EXT_ANNOUNCE) {
        AddUsersFromText(packet);
        return;
    }
    if (packet.command() == CMD_SEND_MESSAGE) {
        if (!FindHost(address, port) && !isOwnPacket(packet)) {
            // A sender the host table does not list: the message is dropped
            // without a receipt and not remembered, so that a real peer's
            // resend, after the entry our introduction asks for, is shown.
            Introduce(packet);
            Refuse(PeerRefusal::MessageUnlisted, address);
            return;
        }
        // A resent copy (the same number and text from the same sender)
        // means our receipt was lost: confirm it again, but show the message
        // only once. The receipt of a message that is logged leaves once its
        // record is in the log file.
        const bool seen = m_recentMessages.SeenBefore(address, port, packet.packetNumber, messageTextHash(packet));
        const bool wantsReceipt = packet.hasOption(OPT_SEND_CHECK) && !packet.hasOption(OPT_BROADCAST)
            && !packet.hasOption(OPT_AUTO_RETURN);
        if (seen) {
            if (wantsReceipt && m_receipts.IsWaiting(address, port, packet.packetNumber))
                m_receipts.RetryLog();
            else if (wantsReceipt)
                SendReply(packet, CMD_MESSAGE_RECEIVED, PacketCodec::FormatNumber(packet.packetNumber));
            return;
        }
        const quint64 mark = m_receipts.Mark();
        handleMessage(packet);
        if (wantsReceipt)
            m_receipts.Confirm(packet.key, packet.packetNumber, mark, packet.datagramBytes);
        return;
    }
    // Any other packet is handled once: a copy has the same bytes.
    const quint64 bytes = qHash(QByteArrayView(data), m_hashSeed);
    if (!m_recent.Contains(packet.packetNumber, address, port, bytes)) {
        m_recent.Add(packet.packetNumber, address, port, bytes);
        dispatch(packet);
    }
}

quint64 MessengerEngine::messageTextHash(const PacketRecord &packet) const
{
    // The text as read: a resend may be encrypted anew, with another key.
    QByteArray text = packet.hasOption(OPT_ENCRYPT) && m_messageText ? m_messageText(packet) : packet.body;
    if (const qsizetype nul = text.indexOf('\0'); nul >= 0)
        text.truncate(nul);
    text.removeIf([](char c) { return c == '\r'; });
    return qHash(QByteArrayView(text), m_hashSeed) ^ (qHash(QByteArrayView(packet.extension), m_hashSeed) * 31);
}

void MessengerEngine::Introduce(const PacketRecord &packet)
{
    // Someone we have not heard of: introduce ourselves so that it answers
    // with its entry.
    if (packet.hasOption(OPT_NO_ADD_LIST) || !MayAnswer(packet.key, CMD_ANNOUNCE_ENTRY))
        return;
    // Many ports (or forged addresses) at once: a bounded number a second.
    if (!m_introductions.allow(PeerRateLimiter::Now())) {
        Refuse(PeerRefusal::AnswerRate, packet.key.address);
        return;
    }
    SendEntryAnswer(packet, CMD_ANNOUNCE_ENTRY);
    // Its answer is let into a full host table: a peer that a forged exit
    // removed gets back on the list with its next message.
    const qint64 now = PeerRateLimiter::Now();
    forgetIntroductions(now);
    m_introduced.push_back({ packet.key.address, packet.key.port, now + PeerBounds::kIntroductionAnswerMs });
}

void MessengerEngine::handleMessage(const PacketRecord &packet)
{
    HostRecord *sender = FindHost(packet.key.address, packet.key.port);
    if (m_config.AutoReply && !m_config.StrReply.trimmed().isEmpty() && !packet.hasOption(OPT_AUTO_RETURN)
        && !packet.hasOption(OPT_BROADCAST) && !isOwnPacket(packet) && MayAnswer(packet.key, CMD_SEND_MESSAGE)) {
        SendTextAnswer(packet.key, CMD_SEND_MESSAGE | OPT_AUTO_RETURN, m_config.StrReply);
    }
    emit messageReceived(packet, sender);
}

void MessengerEngine::dispatch(const PacketRecord &packet)
{
    const quint32 command = packet.command();
    HostRecord *sender = FindHost(packet.key.address, packet.key.port);
    switch (command) {
    case CMD_ANNOUNCE_ENTRY:
        m_recordAwaitsEcho = false;
        AddOrUpdateHost(packet, packet.commandWord, packet.bodyText(), packet.extensionText(), packet.extVersion,
            packet.headIcon, packet.statusBits, packet.macText, packet.headPictureSize, packet.customPictureSize);
        if (isOwnPacket(packet) || !MayAnswer(packet.key, CMD_ANNOUNCE_ENTRY))
            break;
        if (answerEntry(packet) || !m_recordAwaitsEcho)
            break;
        // A newcomer to a full table whose challenge took the credit its
        // entry brought: the answer goes with its record when it echoes (a
        // round trip later).
        AnswerWhenReceiver(packet.key, this, [this, packet] { SendEntryAnswer(packet, CMD_ANSWER_ENTRY); });
        break;
    case CMD_ANSWER_ENTRY:
    case CMD_ANNOUNCE_STATUS:
        AddOrUpdateHost(packet, packet.commandWord, packet.bodyText(), packet.extensionText(), packet.extVersion,
            packet.headIcon, packet.statusBits, packet.macText, packet.headPictureSize, packet.customPictureSize);
        break;
    case CMD_ANNOUNCE_EXIT:
        RemoveHost(sender, true);
        break;
    case CMD_MESSAGE_RECEIVED:
        emit receiptArrived(sender, EchoedPacketNumber(packet));
        break;
    case CMD_MESSAGE_OPENED:
        // The echo of a read notice that asks for its check names the notice
        // (its packet number), whatever its body held; once a second per
        // peer, as the other short answers; only for a notice we gave cause for.
        if (packet.hasOption(OPT_READ_CHECK) && mayEcho(packet))
            SendReply(packet, CMD_ANSWER_READ, PacketCodec::FormatNumber(packet.packetNumber));
        emit readNoticeArrived(sender, EchoedPacketNumber(packet));
        break;
    case CMD_ANSWER_READ:
        // The echo of a read notice: of our challenge, or of a real one.
        challengeEchoed(packet);
        emit packetDispatched(packet, sender);
        break;
    case CMD_RELEASE_FILES:
        // The peer will not fetch the offer of that packet number.
        m_offers.ReleaseOffer(EchoedPacketNumber(packet), packet.key.address, packet.key.port);
        break;
    case CMD_CHAT_PROBE:
        // A chat window asks for our current details: the entry answer.
        if (sender && !isHidden() && !isOwnPacket(packet) && MayAnswer(packet.key, CMD_CHAT_PROBE))
            SendEntryAnswer(packet, CMD_ANSWER_ENTRY);
        break;
    case CMD_GET_INFO:
        if (MayAnswer(packet.key, CMD_GET_INFO)) {
            SendTextReply(packet, CMD_SEND_INFO,
                QStringLiteral("Kwel %1 (Linux)").arg(QCoreApplication::applicationVersion()));
        }
        break;
    case CMD_GET_ABSENCE_INFO: {
        if (!MayAnswer(packet.key, CMD_GET_ABSENCE_INFO))
            break;
        QString text = QStringLiteral("Not absence mode");
        if (isAway()) {
            const int index = m_config.AwayIndex;
            if (!m_config.StrReply.isEmpty())
                text = m_config.StrReply;
            else if (index >= 0 && index < int(m_config.AwayNames.size()) && !m_config.AwayNames[index].isEmpty())
                text = m_config.AwayNames[index];
        }
        SendTextReply(packet, CMD_SEND_ABSENCE_INFO, text);
        break;
    }
    case CMD_GET_PROGRAM:
    case CMD_GET_GDIPLUS:
        // A peer asks for our program file or picture library: a Linux
        // executable is of no use to it, so the request stays unanswered.
        break;
    default:
        emit packetDispatched(packet, sender);
        break;
    }
}
