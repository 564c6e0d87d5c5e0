// The fields a peer names that reach a widget (nick, group, host name, file
// name, share name, message text with markers), NUL-separated GBK: what the
// program makes of them for tooltips, labels and views shows each exactly as
// written and is never live markup, and the notices built around a nick keep
// it whole whatever place markers it holds.
#include "FuzzCheck.h"
#include "core/Gbk.h"
#include "core/PlainText.h"
#include "core/SpamFilter.h"

#include <QByteArrayView>
#include <QList>
#include <cstdint>

namespace {

const QLatin1String kEntities[][2] = {
    { QLatin1String("&lt;"), QLatin1String("<") },
    { QLatin1String("&gt;"), QLatin1String(">") },
    { QLatin1String("&amp;"), QLatin1String("&") },
    { QLatin1String("&quot;"), QLatin1String("\"") },
    { QLatin1String("&nbsp;"), QLatin1String(" ") },
};

// Reads the HTML back the only way it may be read: "<br>" and the entities
// above, nothing else that is markup. Aborts on any other '<', '>' or '&'.
QString readBack(const QString &html)
{
    QString text;
    qsizetype i = 0;
    while (i < html.size()) {
        const QStringView rest = QStringView(html).mid(i);
        if (rest.startsWith(QLatin1String("<br>"))) {
            text += u'\n';
            i += 4;
            continue;
        }
        if (html.at(i) == u'&') {
            bool known = false;
            for (const auto &entity : kEntities) {
                if (rest.startsWith(entity[0])) {
                    text += entity[1];
                    i += entity[0].size();
                    known = true;
                    break;
                }
            }
            check(known);
            continue;
        }
        check(html.at(i) != u'<' && html.at(i) != u'>');
        text += html.at(i++);
    }
    return text;
}

void checkShownAsWritten(const QString &field)
{
    QString expected = field;
    expected.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    expected.replace(u'\r', u'\n');
    const QString html = PlainText::Html(field);
    check(readBack(html) == expected);

    // The tooltips are that HTML in a fixed frame (nothing for no text).
    const struct
    {
        QString tip;
        QLatin1String open, close;
    } tips[] = {
        { PlainText::ToolTip(field), QLatin1String("<p style=\"white-space:pre\">"), QLatin1String("</p>") },
        { PlainText::BlueToolTip(field), QLatin1String("<font color=\"#0000ff\">"), QLatin1String("</font>") },
    };
    for (const auto &t : tips) {
        if (field.isEmpty())
            check(t.tip.isEmpty());
        else
            check(t.tip == t.open + html + t.close);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QList<QString> fields;
    for (const QByteArrayView part : QByteArray(input.toByteArray()).split('\0'))
        fields.append(Gbk::decode(part));
    for (const QString &field : fields)
        checkShownAsWritten(field);

    // A nick holding "%1" or "%2" stays whole in the notices built with it.
    const QString nick = fields.value(0);
    const QString time = QStringLiteral("12:00:00");
    check(FormatOfferNotice(nick, 3, time, false)
        == nick + QStringLiteral(" 给您发送了 3 个文件(夹),请在右侧接收.时间 12:00:00."));
    const QString text = fields.value(5);
    const QString tip = FormatMessageTipText(nick, fields.value(2), false, text, { { fields.value(3), false } });
    check(tip.startsWith(QStringLiteral("发送人:") + nick + u'(' + fields.value(2) + u')'));
    return 0;
}
