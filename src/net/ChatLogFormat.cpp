#include "net/ChatLogFormat.h"

#include "core/Gbk.h"

#include <QtEndian>

namespace ChatLogFormat {

void appendU32(QByteArray &out, quint32 value)
{
    char b[4];
    qToLittleEndian(value, b);
    out.append(b, 4);
}

quint32 readU32(QByteArrayView in, qsizetype at)
{
    return qFromLittleEndian<quint32>(in.data() + at);
}

QByteArray encodeHeader()
{
    QByteArray out;
    appendU32(out, kHeader);
    return out;
}

namespace {

void appendText(QByteArray &out, const QString &text, qsizetype maxBytes)
{
    const QByteArray bytes = Gbk::cutBytes(Gbk::encode(text), maxBytes);
    appendU32(out, quint32(bytes.size()));
    out.append(bytes);
}

} // namespace

QByteArray encodeRecord(const ChatLogEntry &e)
{
    QByteArray out;
    appendU32(out, kRecordTag);
    appendU32(out, 0); // size, filled in below
    appendText(out, e.userName, kNameLimit - 1);
    appendText(out, e.groupName, kNameLimit - 1);
    appendText(out, e.loginName, kNameLimit - 1);
    appendText(out, e.hostName, kNameLimit - 1);
    appendText(out, e.macText, kMacLimit - 1);
    appendU32(out, qToBigEndian(e.address)); // the octets in network order, as Windows holds them
    appendU32(out, e.port);
    const bool block = !e.font.sameFont(ChatFont::standard(), false);
    out.append(char(block ? kFontBlock : kColourOnly));
    if (block)
        out.append(e.font.toBytes());
    else
        appendU32(out, e.font.color);
    appendText(out, e.text, kMaxTextBytes);

    // Everything after the tag, the size field included, but not the font block.
    const qsizetype size = out.size() - 4 - (block ? ChatFont::BlockBytes : 0);
    qToLittleEndian(quint32(size), out.data() + 4);
    return out;
}

QString dateLine(QDate day)
{
    return QStringLiteral("日期:") + day.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('\n');
}

std::optional<QDate> parseDateLine(QByteArrayView text)
{
    static const QByteArray prefix = Gbk::encode(u"日期:");
    if (text.size() != kDateLineBytes || !text.startsWith(prefix) || !text.endsWith('\n'))
        return std::nullopt;
    const QDate day = QDate::fromString(
        QString::fromLatin1(text.sliced(prefix.size(), text.size() - prefix.size() - 1)), QStringLiteral("yyyy-MM-dd"));
    if (!day.isValid())
        return std::nullopt;
    return day;
}

} // namespace ChatLogFormat
