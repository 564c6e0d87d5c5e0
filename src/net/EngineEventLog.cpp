#include "net/EngineEventLog.h"

#include "net/CNetManager.h"
#include "net/MessengerEngine.h"

#include <QFile>
#include <memory>

namespace {

QString serveStatusWord(ServeStatus status)
{
    switch (status) {
    case ServeStatus::Running:
        return QStringLiteral("running");
    case ServeStatus::Done:
        return QStringLiteral("done");
    case ServeStatus::BadRequest:
        return QStringLiteral("bad-request");
    case ServeStatus::RequestTimeout:
        return QStringLiteral("timeout");
    case ServeStatus::NoOffer:
        return QStringLiteral("no-offer");
    case ServeStatus::NotRecipient:
        return QStringLiteral("not-recipient");
    case ServeStatus::NoFile:
        return QStringLiteral("no-file");
    case ServeStatus::WrongKind:
        return QStringLiteral("wrong-kind");
    case ServeStatus::BadOffset:
        return QStringLiteral("bad-offset");
    case ServeStatus::OpenFailed:
        return QStringLiteral("open-failed");
    case ServeStatus::SendFailed:
        return QStringLiteral("send-failed");
    case ServeStatus::Cancelled:
        return QStringLiteral("cancelled");
    case ServeStatus::Refused:
        return QStringLiteral("refused");
    }
    return QString::number(int(status));
}

} // namespace

EngineEventLog::EngineEventLog(MessengerEngine &engine, Sink sink, QObject *parent)
    : QObject(parent)
{
    auto emitLine = [sink = std::move(sink)](const QString &line) { sink(EscapeLine(line)); };
    auto where = [](const HostRecord *h) -> QString { return dotted(h->key.address) + QLatin1Char(' ') + QString::number(h->key.port); };
    connect(&engine, &MessengerEngine::hostAdded, this, [=](HostRecord *h) {
        emitLine(QStringLiteral("ADDED ") + where(h) + QLatin1Char(' ') + QString::number(h->extension) + QLatin1Char(' ')
            + h->displayName);
    });
    connect(&engine, &MessengerEngine::hostUpdated, this, [=](HostRecord *h) {
        emitLine(QStringLiteral("UPDATED ") + where(h) + QLatin1Char(' ') + QString::number(h->statusBits, 16)
            + QLatin1Char(' ') + h->displayName);
    });
    connect(&engine, &MessengerEngine::hostRemoved, this,
        [=](HostRecord *h, bool) { emitLine(QStringLiteral("REMOVED ") + where(h)); });
    connect(&engine, &MessengerEngine::messageReceived, this, [=](const PacketRecord &p, HostRecord *) {
        emitLine(QStringLiteral("MESSAGE ") + dotted(p.key.address) + QLatin1Char(' ') + QString::number(p.packetNumber)
            + QLatin1Char(' ') + p.bodyText());
    });
    connect(&engine, &MessengerEngine::receiptArrived, this, [=](HostRecord *h, quint32 number) {
        emitLine(QStringLiteral("RECEIPT ") + (h ? dotted(h->key.address) : QStringLiteral("?")) + QLatin1Char(' ')
            + QString::number(number));
    });
    // Every refusal of a bound on what a peer may cost us (net/PeerBounds.h).
    connect(&engine, &MessengerEngine::refused, this, [=](PeerRefusal refusal, quint32 address) {
        emitLine(QStringLiteral("REFUSED ") + PeerRefusalWord(refusal) + QLatin1Char(' ') + dotted(address));
    });
    connect(&engine, &MessengerEngine::readNoticeArrived, this, [=](HostRecord *h, quint32 number) {
        emitLine(QStringLiteral("READ ") + (h ? dotted(h->key.address) : QStringLiteral("?")) + QLatin1Char(' ')
            + QString::number(number));
    });
    connect(&engine.net(), &CNetManager::listeningChanged, this, [=](bool listening, const QString &error) {
        emitLine(listening ? QStringLiteral("LISTENING on") : QStringLiteral("LISTENING off ") + error);
    });
    // Sends the kernel refused (a full send buffer, no route...), a count at
    // most once a second.
    connect(&engine.net(), &CNetManager::sendsFailed, this,
        [=](quint64 count) { emitLine(QStringLiteral("SENDFAILED ") + QString::number(count)); });
    // Every connection the file server ended or refused, with the number it
    // still holds afterwards: what the load tests count the caps by.
    FileServer *server = &engine.fileServer();
    connect(server, &FileServer::transferFinished, this, [=](const TransferState &s) {
        emitLine(QStringLiteral("SERVED ") + dotted(s.address) + QLatin1Char(' ') + serveStatusWord(s.status)
            + QStringLiteral(" open ") + QString::number(server->openConnections()));
    });
}

EngineEventLog *EngineEventLog::fromEnvironment(MessengerEngine &engine, QObject *parent)
{
    const QString path = qEnvironmentVariable("KWEL_EVENT_LOG");
    if (path.isEmpty())
        return nullptr;
    auto file = std::make_shared<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return nullptr;
    return new EngineEventLog(engine, [file](const QString &line) {
        file->write(line.toUtf8() + '\n');
        file->flush();
    }, parent);
}

QString EngineEventLog::dotted(quint32 a)
{
    return QStringLiteral("%1.%2.%3.%4").arg(a >> 24).arg((a >> 16) & 0xFF).arg((a >> 8) & 0xFF).arg(a & 0xFF);
}

QString EngineEventLog::EscapeLine(const QString &line)
{
    QString out;
    out.reserve(line.size());
    for (const QChar c : line) {
        const char16_t u = c.unicode();
        if (u == u'\\')
            out += QLatin1String("\\\\");
        else if (u == u'\n')
            out += QLatin1String("\\n");
        else if (u == u'\r')
            out += QLatin1String("\\r");
        else if (u == u'\t')
            out += QLatin1String("\\t");
        else if (u < 0x20 || (u >= 0x7F && u < 0xA0))
            out += QStringLiteral("\\x%1").arg(uint(u), 2, 16, QLatin1Char('0'));
        else if (u == 0x2028 || u == 0x2029)
            out += QStringLiteral("\\u%1").arg(uint(u), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}
