#include "core/PlainText.h"

#include <QImage>

namespace PlainText {

QString Html(const QString &text)
{
    QString html;
    html.reserve(text.size() + text.size() / 8 + 16);
    QChar before;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case '<':
            html += QLatin1String("&lt;");
            break;
        case '>':
            html += QLatin1String("&gt;");
            break;
        case '&':
            html += QLatin1String("&amp;");
            break;
        case '"':
            html += QLatin1String("&quot;");
            break;
        case '\r':
            html += QLatin1String("<br>");
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            break;
        case '\n':
            html += QLatin1String("<br>");
            break;
        case ' ':
            // A blank after a blank (or at a line's start) would be folded away.
            if (before.isNull() || before == u' ' || before == u'\n' || before == u'\r')
                html += QLatin1String("&nbsp;");
            else
                html += c;
            break;
        default:
            html += c;
        }
        before = c;
    }
    return html;
}

QString ToolTip(const QString &text)
{
    if (text.isEmpty())
        return {};
    // A paragraph that keeps blanks: the tooltip is always taken as rich
    // text, so nothing in the text itself decides how it is read.
    return QStringLiteral("<p style=\"white-space:pre\">") + Html(text) + QStringLiteral("</p>");
}

QString BlueToolTip(const QString &text)
{
    if (text.isEmpty())
        return {};
    return QStringLiteral("<font color=\"#0000ff\">") + Html(text) + QStringLiteral("</font>");
}

QVariant GuardedResource(const QUrl &name)
{
    // A picture, never a null one: a null result makes Qt try the name as
    // a file path itself.
    static const QImage kEmpty = [] {
        QImage image(1, 1, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        return image;
    }();
    if (name.scheme() == QLatin1String("qrc") || (name.scheme().isEmpty() && name.path().startsWith(QLatin1String(":/")))) {
        const QString path = name.scheme().isEmpty() ? name.path() : QLatin1Char(':') + name.path();
        const QImage own(path);
        if (!own.isNull())
            return own;
    }
    return kEmpty;
}

} // namespace PlainText
