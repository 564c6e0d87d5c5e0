#include "hostile_richtext.h"

#include "hostile.h"
#include "net/PacketCodec.h"
#include "net/Commands.h"
#include "net/FileRequest.h"
#include "net/FolderHeader.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

namespace {

constexpr quint32 kMtime = 0x5F5E1000;

// The folder "docs" holding one file of three bytes under the name.
QByteArray markupFolderStream(const QString &name)
{
    return BuildFolderHeader(u"docs", 0, FILE_ATTR_FOLDER, kMtime).value_or(QByteArray())
        + BuildFolderHeader(name, 3, FILE_ATTR_REGULAR, kMtime).value_or(QByteArray()) + "abc"
        + BuildFolderHeader(u".", 0, FILE_ATTR_PARENT, kMtime).value_or(QByteArray());
}

bool markupFolder(int seconds, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    // On the program's own port, so that the program drives it like any
    // peer of the LAN (kwelpeer's engine runs on another port then).
    QUdpSocket udp;
    if (!udp.bind(QHostAddress::AnyIPv4, port))
        return false;
    OwnHeader own;
    own.userName = QStringLiteral("marker");
    own.hostName = QStringLiteral("marker-pc");
    quint32 number = 6000000;
    const auto send = [&](quint32 command, QByteArrayView body, QByteArrayView extension) {
        const QByteArray packet
            = PacketCodec::BuildPacket(own, ++number, command, body, extension, qint32(extension.size()));
        return !packet.isEmpty() && udp.writeDatagram(packet, QHostAddress(target), port) == packet.size();
    };
    if (!send(CMD_ANNOUNCE_ENTRY, "marker", {}))
        return false;
    for (QDeadlineTimer settle(500); !settle.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QTcpServer server;
    if (!server.listen(QHostAddress::AnyIPv4, port))
        return false;
    const QByteArray list = "1:docs:0:5f5e1000:2:\a";
    if (!send(CMD_SEND_MESSAGE | OPT_SEND_CHECK | OPT_FILE_ATTACH, "folder", list))
        return false;
    int served = 0;
    QDeadlineTimer deadline(qint64(seconds) * 1000);
    while (served == 0 && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (!server.waitForNewConnection(100))
            continue;
        QTcpSocket *socket = server.nextPendingConnection();
        QByteArray request;
        FileRequest parsed;
        while (!deadline.hasExpired() && socket->state() == QAbstractSocket::ConnectedState) {
            if (socket->waitForReadyRead(100))
                request += socket->readAll();
            const FileRequestStatus status = ParseFileRequest(request, parsed);
            if (status == FileRequestStatus::Ok) {
                socket->write(markupFolderStream(QStringLiteral("<img src=/dev/zero>")));
                socket->waitForBytesWritten(2000);
                ++served;
                break;
            }
            if (status == FileRequestStatus::Bad)
                break;
        }
        socket->disconnectFromHost();
        if (socket->state() != QAbstractSocket::UnconnectedState)
            socket->waitForDisconnected(1000);
        delete socket;
    }
    report(QStringLiteral("MARKUPFOLDER served %1").arg(served));
    return true;
}

// Listed peer A asks three times for the shares 1..count (each with the time
// "HH:MM"); right after, peer B announces itself: how long its answer took.
bool shareJam(int count, const QString &time, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    RawPeer jam(target, port, QStringLiteral("jammer"));
    RawPeer normal(target, port, QStringLiteral("normal"));
    if (!jam.isOpen() || !normal.isOpen() || !jam.announce())
        return false;
    QStringList items;
    for (int id = 1; id <= count; ++id)
        items << QStringLiteral("%1_%2").arg(QString::number(id), time);
    const QByteArray request = items.join(QLatin1Char(';')).toLatin1();
    for (int i = 0; i < 3; ++i)
        jam.send(CMD_SHARE_DOWNLOAD, request);
    QElapsedTimer clock;
    clock.start();
    normal.send(CMD_ANNOUNCE_ENTRY, "normal");
    qint64 answeredMs = -1;
    while (answeredMs < 0 && clock.elapsed() < 10000) {
        normal.collect(20);
        for (const PacketRecord &answer : normal.answers())
            if (answer.command() == CMD_ANSWER_ENTRY)
                answeredMs = clock.elapsed();
    }
    report(QStringLiteral("SHAREJAM answered-ms %1").arg(answeredMs));
    return true;
}

} // namespace

std::optional<bool> RunRichTextAttack(
    const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    if (words.size() >= 3 && words[0] == QLatin1String("sharejam"))
        return shareJam(qBound(1, words[1].toInt(), 4000), words[2], target, port, report);
    if (words.isEmpty() || words[0] != QLatin1String("markupfolder"))
        return std::nullopt;
    const int seconds = words.size() > 1 ? qBound(1, words[1].toInt(), 600) : 30;
    const quint16 programPort = words.size() > 2 ? quint16(words[2].toUInt()) : port;
    return markupFolder(seconds, target, programPort, report);
}
