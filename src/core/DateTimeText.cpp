#include "core/DateTimeText.h"

#include <QRegularExpression>

std::optional<QDateTime> ParseDateTimeText(QStringView text)
{
    static const QRegularExpression form(
        QStringLiteral(R"(^\s*(\d{1,4})-(\d{1,2})-(\d{1,2})(?:\s+(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?)?\s*$)"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const auto number = [&m](int group) { return m.capturedView(group).isEmpty() ? 0 : m.capturedView(group).toInt(); };
    const QDate date(number(1), number(2), number(3));
    const QTime time(number(4), number(5), number(6));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    const QDateTime value(date, time, Qt::LocalTime);
    if (!value.isValid())
        return std::nullopt;
    return value;
}
