// A scripted peer for the multi-host tests. It runs the messenger engine (or,
// with --plain, speaks the plain IP Messenger protocol by hand) and executes
// the commands read from standard input one by one:
//
//   announce                      announce the entry
//   away TEXT                     go away with that title and announce it
//   hide [KEY]                    go hidden, visible to the peer of that MAC text
//                                 only, and announce it (entry, the exit for plain
//                                 peers, the visible-to list)
//   plainexit                     the exit meant for plain IP Messenger peers only,
//                                 as a hidden or incompatible peer sends it
//   send IP TEXT                  send a message that asks for a receipt
//   sendretry IP TEXT             the same, resent every second until its receipt
//                                 comes (five tries at most), as a real peer does
//   sendenc IP TEXT               send a message through the message sender,
//                                 encrypted (the peer must announce that it decrypts)
//   resend                        send the last message again, byte for byte
//   number                        the packet number the peer takes next: NUMBER n
//   wait PREFIX [SECONDS]         wait until an event line starts with PREFIX
//   count PREFIX N                the number of event lines starting with PREFIX is N
//   sleep MS
//   offer IP PATH...              offer files and folders to a listed peer
//   fetch NAME DEST               fetch the offered file or folder of that name
//                                 (0x60 into the file DEST, 0x62 into the folder DEST)
//   receive NAME DEST             receive the latest offered item of that name with
//                                 the file receiver, into the folder DEST
//   waitcount N PREFIX SECONDS    wait until at least N event lines start with PREFIX
//   slow IP N SECONDS [FROM...]   hold N slow file requests open to IP for SECONDS
//                                 (one byte a second; reopened a second after the
//                                 server closes one), bound to the FROM addresses
//                                 in turn; runs on while the next commands do
//   slowend                       wait until the slow requests are over
//   churn IP COUNT [PACE_MS]      COUNT identities: exit, answer-entry under a new
//                                 login name, read notice for a number never sent
//   attack IP[:PORT] NAME [ARGS...]
//                                 a hostile peer's attack on IP (at PORT, else our own
//                                 port) from sockets of its own (see RunAttack in
//                                 hostile.h); its figure lines are events
//   exit                          announce the exit and stop
//
// Event lines (printed as they happen, escaped as the program's event log is):
// ADDED ip port ext name, UPDATED ip port status name, REMOVED ip port,
// MESSAGE ip number text (decrypted when it came encrypted, after ENCRYPTED ip
// mode-hex status), RECEIPT ip number, FILE ip packet id kind size name (one
// per offered entry), FETCHED dest bytes, RECEIVED path bytes files, HISTORY
// line (the receiver's history lines), BOX caption|text (its message boxes),
// KEYS capabilities-hex (the own key pairs), SENT ip ok|failed (the end of a
// sendenc, after PLAIN ip when its message went unencrypted), SLOW
// connects C refused R closed-later L held-max H (the end of a slow), CHURNED
// count, and with --plain: RAW ip command-hex option-bits-hex.
// With --photo FILE the peer has that .bmp file as its own head picture and
// custom picture: its packets announce them and it answers 0x7b and 0x7d.
// The program exits 0 when every command succeeded, 1 at the first failure.
#include "core/CConfig.h"
#include "core/Gbk.h"
#include "core/OpenFileLimit.h"
#include "net/CMsgSenderWnd.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/EngineEventLog.h"
#include "net/FileList.h"
#include "net/FileReceiver.h"
#include "net/FolderHeader.h"
#include "net/KeyExchange.h"
#include "net/MessengerEngine.h"
#include "net/OwnPictureServer.h"
#include "net/PacketCodec.h"

#include "hostile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTcpSocket>
#include <QDeadlineTimer>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>
#include <cstdio>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

QStringList g_events;

struct ReceivedOffer
{
    quint32 address = 0;
    quint32 packet = 0;
    DecodedFileEntry entry;
};
QList<ReceivedOffer> g_offers;

void event(const QString &line)
{
    g_events.append(line);
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

void say(const QString &line)
{
    std::printf("# %s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

int countPrefix(const QString &prefix)
{
    int n = 0;
    for (const QString &e : std::as_const(g_events))
        if (e.startsWith(prefix))
            ++n;
    return n;
}

bool waitFor(const QString &prefix, int seconds)
{
    QDeadlineTimer deadline(seconds * 1000);
    while (!deadline.hasExpired()) {
        if (countPrefix(prefix) > 0)
            return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return countPrefix(prefix) > 0;
}

quint32 parseAddress(const QString &text)
{
    return QHostAddress(text).toIPv4Address();
}

// Messages as the event lines show them, decrypted when they came encrypted.
void watchMessages(MessengerEngine &engine, KeyExchange &keys)
{
    QObject::connect(&engine, &MessengerEngine::messageReceived, &keys, [&keys](const PacketRecord &p, HostRecord *) {
        const QString from = EngineEventLog::dotted(p.key.address);
        QString text = p.bodyText();
        if (p.hasOption(OPT_ENCRYPT)) {
            const DecryptedMessage m = keys.DecryptReceivedMessage(p);
            event(QStringLiteral("ENCRYPTED %1 %2 %3").arg(from, QString::number(m.mode, 16)).arg(int(m.status)));
            text = Gbk::decode(m.text).remove(QLatin1Char('\r'));
        }
        event(EngineEventLog::EscapeLine(QStringLiteral("MESSAGE ") + from + QLatin1Char(' ')
            + QString::number(p.packetNumber) + QLatin1Char(' ') + text));
    });
}

// KEYS lines: the own pairs at once, and again when the 1024-bit pair is ready.
void watchOwnKeys(KeyExchange &keys)
{
    event(QStringLiteral("KEYS ") + QString::number(keys.ownCapabilities(), 16));
    if (!keys.isGenerating())
        return;
    auto *poll = new QTimer(&keys);
    QObject::connect(poll, &QTimer::timeout, &keys, [&keys, poll] {
        if (keys.isGenerating())
            return;
        poll->deleteLater();
        event(QStringLiteral("KEYS ") + QString::number(keys.ownCapabilities(), 16));
    });
    poll->start(100);
}

// One message through the message sender, to a listed peer that decrypts.
bool sendEncrypted(MessengerEngine &engine, KeyExchange &keys, quint32 address, quint16 port, const QString &text)
{
    HostRecord *peer = engine.FindHost(address, port);
    if (!peer || !(peer->capabilities & OPT_ENCRYPT)) {
        say(QStringLiteral("the peer is not listed as one that decrypts"));
        return false;
    }
    auto *sender = new CMsgSenderWnd(engine, &keys, &engine);
    const QString to = EngineEventLog::dotted(address);
    QObject::connect(sender, &CMsgSenderWnd::finished, [to, sender](bool ok) {
        // A destination that could not be encrypted lost its encryption bit.
        for (const SendDestination &d : sender->destinations()) {
            if (!(d.command & OPT_ENCRYPT))
                event(QStringLiteral("PLAIN ") + to);
        }
        event(QStringLiteral("SENT %1 %2").arg(to, ok ? QStringLiteral("ok") : QStringLiteral("failed")));
    });
    if (!sender->SetMessage(text, ChatFont(), 0, nullptr)) {
        say(sender->errorText());
        return false;
    }
    sender->AddRecipient(peer);
    sender->AllocDestinations();
    if (sender->StartSending() != CMsgSenderWnd::Status::Ok) {
        say(sender->errorText());
        delete sender;
        return false;
    }
    return true;
}

// The plain peer: the old protocol by hand, answering nothing.
class PlainPeer
{
public:
    PlainPeer(quint16 port, const QString &name)
        : m_port(port)
        , m_name(name)
    {
        m_socket.bind(QHostAddress(QHostAddress::AnyIPv4), port);
        QObject::connect(&m_socket, &QUdpSocket::readyRead, [this] {
            while (m_socket.hasPendingDatagrams()) {
                const QNetworkDatagram d = m_socket.receiveDatagram();
                PacketRecord p;
                const quint32 from = d.senderAddress().toIPv4Address();
                if (PacketCodec::ParsePacket(d.data(), from, quint16(d.senderPort()), p) != PacketStatus::Ok)
                    continue;
                event(QStringLiteral("RAW %1 %2 %3")
                          .arg(EngineEventLog::dotted(from), QString::number(p.command(), 16),
                              QString::number(GET_OPT(p.commandWord), 16)));
            }
        });
    }
    void broadcast(quint32 command, const QByteArray &body)
    {
        const QByteArray packet
            = PacketCodec::BuildPlainPacket(m_name, QStringLiteral("plain-pc"), ++m_number, command, body, "plain");
        m_socket.writeDatagram(packet, QHostAddress(QHostAddress::Broadcast), m_port);
    }
    bool send(quint32 address, const QByteArray &packet)
    {
        return m_socket.writeDatagram(packet, QHostAddress(address), m_port) == packet.size();
    }

private:
    QUdpSocket m_socket;
    quint16 m_port;
    QString m_name;
    quint32 m_number = 1000;
};

// Reads exactly n bytes (less only when the stream ends).
QByteArray readExactly(QTcpSocket &socket, qint64 n)
{
    QByteArray out;
    while (out.size() < n) {
        if (!socket.bytesAvailable() && !socket.waitForReadyRead(10000))
            break;
        out += socket.read(n - out.size());
    }
    return out;
}

QByteArray requestPacket(CNetManager &net, quint32 command, const QByteArray &body)
{
    return net.BuildPacket(net.NextPacketNumber(), command, body);
}

// The test receiver of one file: everything from offset 0 to the end.
qint64 fetchFile(CNetManager &net, quint32 address, quint16 port, quint32 packet, quint32 id, const QString &dest)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress(address), port);
    if (!socket.waitForConnected(5000))
        return -1;
    socket.write(requestPacket(net, CMD_GET_FILE_DATA, QByteArray::number(packet, 16) + ':' + QByteArray::number(id, 16) + ":0:"));
    QFile out(dest);
    if (!out.open(QIODevice::WriteOnly))
        return -1;
    qint64 total = 0;
    for (;;) {
        if (!socket.bytesAvailable() && !socket.waitForReadyRead(10000))
            break;
        const QByteArray chunk = socket.readAll();
        total += chunk.size();
        out.write(chunk);
    }
    return total;
}

// The test receiver of a folder: the stream of headers and file data.
qint64 fetchFolder(CNetManager &net, quint32 address, quint16 port, quint32 packet, quint32 id, const QString &dest)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress(address), port);
    if (!socket.waitForConnected(5000))
        return -1;
    socket.write(requestPacket(net, CMD_GET_FOLDER, QByteArray::number(packet, 16) + ':' + QByteArray::number(id, 16) + ':'));
    QDir dir(dest);
    dir.mkpath(QStringLiteral("."));
    int depth = 0;
    qint64 total = 0;
    for (;;) {
        const QByteArray prefix = readExactly(socket, kFolderHeaderPrefix);
        const auto length = ParseFolderHeaderLength(prefix);
        if (!length)
            return -1;
        const QByteArray header = prefix + readExactly(socket, *length - kFolderHeaderPrefix);
        FolderEntryHeader entry;
        if (ParseFolderHeader(header, entry) != FolderHeaderStatus::Ok)
            return -1;
        if (entry.kind() == FILE_ATTR_PARENT) {
            if (--depth <= 0)
                return total;
            dir.cdUp();
        } else if (entry.kind() == FILE_ATTR_FOLDER) {
            if (!dir.mkpath(entry.name) || !dir.cd(entry.name))
                return -1;
            ++depth;
        } else {
            const QByteArray data = readExactly(socket, qint64(entry.size));
            if (data.size() != qint64(entry.size))
                return -1;
            QFile f(dir.filePath(entry.name));
            if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
                return -1;
            total += data.size();
        }
    }
}

// Receives one offered item with the file receiver, as the chat window does.
bool receiveItem(FileReceiver &receiver, const ReceivedOffer &offer, quint16 port, const QString &dest)
{
    if (!QDir().mkpath(dest))
        return false;
    FileReceiveJob job;
    job.packetNumber = offer.packet;
    job.entry = offer.entry;
    job.targetPath = QDir(dest).absoluteFilePath(offer.entry.name);
    job.peerAddress = offer.address;
    job.peerPort = port;
    std::optional<FileReceiveJob> done;
    const auto c = QObject::connect(&receiver, &FileReceiver::jobFinished, [&](const FileReceiveJob &j) { done = j; });
    receiver.Receive(job);
    for (QDeadlineTimer deadline(120000); !done && !deadline.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QObject::disconnect(c);
    if (!done || !done->result.complete())
        return false;
    event(QStringLiteral("RECEIVED %1 %2 %3").arg(job.targetPath).arg(done->result.bytes).arg(done->result.files));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    RaiseOpenFileLimit(); // the slow requests take a descriptor each
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("TARPELON"));
    QCoreApplication::setApplicationName(QStringLiteral("Kwel"));
    quint16 port = 2425;
    QString name = QStringLiteral("peer");
    bool plain = false;
    QString photo;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--port") && i + 1 < args.size())
            port = quint16(args[++i].toUInt());
        else if (args[i] == QLatin1String("--name") && i + 1 < args.size())
            name = args[++i];
        else if (args[i] == QLatin1String("--plain"))
            plain = true;
        else if (args[i] == QLatin1String("--photo") && i + 1 < args.size())
            photo = args[++i];
    }

    QTemporaryDir dir;
    CConfig config(dir.path() + QStringLiteral("/kwel.ini"));
    config.NICKNAMESTR_STR = name;
    CNetManager net;
    std::unique_ptr<MessengerEngine> engine;
    std::unique_ptr<PlainPeer> plainPeer;
    std::unique_ptr<OwnPictureServer> ownPictures;
    KeyExchange *keys = nullptr;
    QByteArray lastMessage;
    quint32 lastTo = 0;

    if (plain) {
        plainPeer = std::make_unique<PlainPeer>(port, name);
    } else {
        CNetManager::Options o;
        o.port = port;
        if (!net.Open(o)) {
            say(QStringLiteral("cannot open: ") + net.errorText());
            return 2;
        }
        engine = std::make_unique<MessengerEngine>(config, net);
        // Message lines come from watchMessages, which decrypts.
        new EngineEventLog(*engine, [](const QString &line) {
            if (!line.startsWith(QLatin1String("MESSAGE ")))
                event(line);
        }, engine.get());
        if (!photo.isEmpty()) {
            const PictureStore store(dir.path() + QStringLiteral("/kwel"));
            store.CreateFolders();
            if (!QFile::copy(photo, store.ownHeadPicturePath()) || !QFile::copy(photo, store.ownCustomPicturePath())) {
                say(QStringLiteral("cannot take the photo ") + photo);
                return 2;
            }
            ownPictures = std::make_unique<OwnPictureServer>(config, store);
            ownPictures->AttachTo(*engine);
        }
        keys = new KeyExchange(*engine, engine.get());
        watchMessages(*engine, *keys);
        keys->Start(QString());
        watchOwnKeys(*keys);
        QObject::connect(engine.get(), &MessengerEngine::messageReceived, [](const PacketRecord &p, HostRecord *) {
            if (!p.hasOption(OPT_FILE_ATTACH))
                return;
            DecodedFileList files;
            DecodeFileList(p.extension, files);
            for (const DecodedFileEntry &f : files) {
                g_offers.append({p.key.address, p.packetNumber, f});
                event(QStringLiteral("FILE %1 %2 %3 %4 %5 %6")
                          .arg(EngineEventLog::dotted(p.key.address), QString::number(p.packetNumber),
                              QString::number(f.fileId), QString::number(f.kind()), QString::number(f.size), f.name));
            }
        });
    }

    FileReceiver receiver(net, &config, nullptr);
    QObject::connect(&receiver, &FileReceiver::systemText, [](const QString &l) { event(QStringLiteral("HISTORY ") + l); });
    QObject::connect(&receiver, &FileReceiver::messageBox,
        [](const QString &text, const QString &caption) { event(QStringLiteral("BOX ") + caption + u'|' + text); });

    std::unique_ptr<SlowClients> slow;

    char line[4096];
    while (std::fgets(line, sizeof line, stdin)) {
        const QString command = QString::fromUtf8(line).trimmed();
        if (command.isEmpty() || command.startsWith(QLatin1Char('#')))
            continue;
        say(command);
        const QString verb = command.section(QLatin1Char(' '), 0, 0);
        const QString rest = command.section(QLatin1Char(' '), 1);
        bool ok = true;
        if (verb == QLatin1String("announce")) {
            if (plain)
                plainPeer->broadcast(CMD_ANNOUNCE_ENTRY, name.toUtf8());
            else
                engine->AnnounceStart();
        } else if (verb == QLatin1String("away") && engine) {
            config.AwayState = 1;
            config.AwayNames[0] = rest;
            engine->AnnouncePresence(CMD_ANNOUNCE_STATUS);
        } else if (verb == QLatin1String("hide") && engine) {
            config.StatusValue |= OwnStatus::Hidden;
            if (!rest.isEmpty()) {
                UserGroupRecord seen = InitUserGroupRecord(QStringLiteral("visible"));
                seen.visibleWhenHidden = 1;
                config.MemberGroups.append(seen);
                config.RebuildGroupIndex();
                config.memoGroupNames.insert(rest, seen.name);
            }
            engine->AnnouncePresence(CMD_ANNOUNCE_ENTRY);
        } else if (verb == QLatin1String("plainexit") && engine) {
            engine->AnnouncePresence(CMD_ANNOUNCE_EXIT | OPT_PLAIN_PEERS_ONLY);
        } else if (verb == QLatin1String("send") && engine) {
            lastTo = parseAddress(rest.section(QLatin1Char(' '), 0, 0));
            lastMessage = net.BuildPacket(net.NextPacketNumber(), CMD_SEND_MESSAGE | OPT_SEND_CHECK,
                rest.section(QLatin1Char(' '), 1).toUtf8());
            ok = net.SendDatagram(lastTo, port, lastMessage);
        } else if (verb == QLatin1String("sendretry") && engine) {
            constexpr int kTries = 5;
            constexpr int kResendMs = 1000;
            lastTo = parseAddress(rest.section(QLatin1Char(' '), 0, 0));
            const quint32 number = net.NextPacketNumber();
            lastMessage = net.BuildPacket(
                number, CMD_SEND_MESSAGE | OPT_SEND_CHECK, rest.section(QLatin1Char(' '), 1).toUtf8());
            bool receipted = false;
            const QMetaObject::Connection receipt = QObject::connect(engine.get(), &MessengerEngine::receiptArrived,
                [&](HostRecord *, quint32 n) { receipted = receipted || n == number; });
            for (int tries = 0; ok && !receipted && tries < kTries; ++tries) {
                ok = net.SendDatagram(lastTo, port, lastMessage);
                for (QDeadlineTimer deadline(kResendMs); !receipted && !deadline.hasExpired();)
                    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            }
            QObject::disconnect(receipt);
        } else if (verb == QLatin1String("sendenc") && engine) {
            ok = sendEncrypted(*engine, *keys, parseAddress(rest.section(QLatin1Char(' '), 0, 0)), port,
                rest.section(QLatin1Char(' '), 1));
        } else if (verb == QLatin1String("number") && engine) {
            event(QStringLiteral("NUMBER %1").arg(net.NextPacketNumber() + 1));
        } else if (verb == QLatin1String("resend") && engine) {
            ok = net.SendDatagram(lastTo, port, lastMessage);
        } else if (verb == QLatin1String("offer") && engine) {
            const QStringList parts = rest.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            HostRecord *to = parts.isEmpty() ? nullptr : engine->FindHost(parseAddress(parts[0]), port);
            ok = to != nullptr;
            if (ok) {
                const quint32 number = net.NextPacketNumber();
                FileOffer *offer = engine->fileOffers().CreateOffer(number);
                for (const QString &path : parts.mid(1))
                    ok = ok && engine->fileOffers().AddEntry(offer, path).has_value();
                engine->fileOffers().SetRecipients(offer, {HostPtr(to)});
                QByteArray list;
                ok = ok && EncodeFileList(offer->entries, list) == qsizetype(offer->entries.size());
                const QByteArray packet = net.BuildPacket(number, CMD_SEND_MESSAGE | OPT_SEND_CHECK | OPT_FILE_ATTACH,
                    QByteArrayLiteral("files"), list, qint32(list.size()));
                ok = ok && net.SendDatagram(to->key.address, to->key.port, packet);
            }
        } else if (verb == QLatin1String("fetch") && engine) {
            const QString name = rest.section(QLatin1Char(' '), 0, 0);
            const QString dest = rest.section(QLatin1Char(' '), 1);
            ok = false;
            for (const ReceivedOffer &o : std::as_const(g_offers)) {
                if (o.entry.name != name)
                    continue;
                const bool folder = o.entry.kind() == FILE_ATTR_FOLDER;
                const qint64 got
                    = (folder ? fetchFolder : fetchFile)(net, o.address, port, o.packet, o.entry.fileId, dest);
                ok = got >= 0;
                if (ok)
                    event(QStringLiteral("FETCHED %1 %2").arg(dest).arg(got));
                break;
            }
        } else if (verb == QLatin1String("receive") && engine) {
            const QString name = rest.section(QLatin1Char(' '), 0, 0);
            ok = false;
            for (qsizetype i = g_offers.size() - 1; i >= 0; --i) {
                if (g_offers[i].entry.name == name) {
                    ok = receiveItem(receiver, g_offers[i], port, rest.section(QLatin1Char(' '), 1));
                    break;
                }
            }
        } else if (verb == QLatin1String("wait")) {
            const QStringList parts = rest.split(QLatin1Char(' '));
            const int seconds = parts.size() > 1 ? parts.last().toInt() : 10;
            const QString prefix = parts.size() > 1 ? rest.section(QLatin1Char(' '), 0, -2) : rest;
            ok = waitFor(prefix, seconds > 0 ? seconds : 10);
        } else if (verb == QLatin1String("waitcount")) {
            const int want = rest.section(QLatin1Char(' '), 0, 0).toInt();
            const QString prefix = rest.section(QLatin1Char(' '), 1, -2);
            QDeadlineTimer deadline(rest.section(QLatin1Char(' '), -1).toInt() * 1000);
            while (countPrefix(prefix) < want && !deadline.hasExpired())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            ok = countPrefix(prefix) >= want;
        } else if (verb == QLatin1String("slow") && !slow) {
            const QStringList parts = rest.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            ok = parts.size() >= 3;
            if (ok) {
                QList<QHostAddress> sources;
                for (const QString &from : parts.mid(3))
                    sources << QHostAddress(from);
                OwnHeader own;
                own.userName = name;
                own.hostName = QStringLiteral("slow-pc");
                const QByteArray request
                    = PacketCodec::BuildPacket(own, 1, CMD_GET_FILE_DATA, QByteArrayLiteral("1:0:0:"));
                slow = std::make_unique<SlowClients>(
                    QHostAddress(parts[0]), port, parts[1].toInt(), parts[2].toInt(), sources, request);
                slow->start();
            }
        } else if (verb == QLatin1String("slowend") && slow) {
            while (slow->isRunning())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            event(slow->summary());
        } else if (verb == QLatin1String("churn")) {
            const QStringList parts = rest.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            const quint32 to = parts.isEmpty() ? 0 : parseAddress(parts[0]);
            const int count = parts.size() > 1 ? qBound(0, parts[1].toInt(), 100000) : 0;
            const int pace = parts.size() > 2 ? parts[2].toInt() : 2;
            const int done = ChurnIdentities(count, pace, QStringLiteral("churn-pc"), [&](const QByteArray &packet) {
                return plain ? plainPeer->send(to, packet) : net.SendDatagram(to, port, packet);
            });
            event(QStringLiteral("CHURNED %1").arg(done));
            ok = to != 0 && done == count;
        } else if (verb == QLatin1String("attack")) {
            const QStringList parts = rest.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            const QString at = parts.value(0);
            const quint16 to = at.contains(QLatin1Char(':')) ? quint16(at.section(QLatin1Char(':'), 1).toUInt()) : port;
            ok = parts.size() >= 2 && RunAttack(parts.mid(1), parseAddress(at.section(QLatin1Char(':'), 0, 0)), to, event);
        } else if (verb == QLatin1String("count")) {
            const QString prefix = rest.section(QLatin1Char(' '), 0, -2);
            const int want = rest.section(QLatin1Char(' '), -1).toInt();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            ok = countPrefix(prefix) == want;
            if (!ok)
                say(QStringLiteral("counted %1").arg(countPrefix(prefix)));
        } else if (verb == QLatin1String("sleep")) {
            QDeadlineTimer deadline(rest.toInt());
            while (!deadline.hasExpired())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        } else if (verb == QLatin1String("exit")) {
            if (engine)
                engine->AnnounceExit();
            else
                plainPeer->broadcast(CMD_ANNOUNCE_EXIT, QByteArray());
            return 0;
        } else {
            say(QStringLiteral("unknown command"));
            ok = false;
        }
        if (!ok) {
            say(QStringLiteral("FAILED: ") + command);
            return 1;
        }
    }
    return 0;
}
