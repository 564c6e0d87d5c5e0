// Date-time texts of the form "year-month-day hour:minute:second", as share
// lists and version notices carry them.
#pragma once

#include <QDateTime>
#include <QStringView>
#include <optional>

// Local time of such a text. The numbers need no leading zeros, white space
// around the text is ignored, and the time part (or its seconds) may be
// missing. None when the text is not of that form or names no real date.
std::optional<QDateTime> ParseDateTimeText(QStringView text);
