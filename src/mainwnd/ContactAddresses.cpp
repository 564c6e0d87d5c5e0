#include "mainwnd/ContactAddresses.h"

#include "core/CConfig.h"

std::optional<quint32> ParseSendAddress(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    const auto parts = trimmed.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return std::nullopt;
    quint32 address = 0;
    for (QStringView part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return std::nullopt;
        for (QChar c : part)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return std::nullopt;
        const uint value = part.toUInt();
        if (value > 255)
            return std::nullopt;
        address = (address << 8) | value;
    }
    if (address == 0)
        return std::nullopt;
    return address;
}

std::optional<quint32> RecentContactAddress(const CConfig &config, const QString &key, const QString &text)
{
    if (!key.isEmpty()) {
        for (auto it = config.IpToMac.cbegin(); it != config.IpToMac.cend(); ++it)
            if (it.key() != 0 && it.value().compare(key, Qt::CaseInsensitive) == 0)
                return it.key();
    }
    const QString marker = QStringLiteral(")(IP:");
    const qsizetype start = text.indexOf(marker);
    if (start < 0)
        return std::nullopt;
    const qsizetype from = start + marker.size();
    const qsizetype end = text.indexOf(QLatin1Char(')'), from);
    if (end < 0)
        return std::nullopt;
    return ParseSendAddress(QStringView(text).mid(from, end - from));
}
