#include "controls/HtmlPaneView.h"
#include "core/PlainText.h"

#include "platform/OpenUrl.h"

#include <QRegularExpression>

HtmlPaneView::HtmlPaneView(QWidget *parent)
    : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setReadOnly(true);
    setUndoRedoEnabled(false);
    connect(this, &QTextBrowser::anchorClicked, this, &HtmlPaneView::onAnchor);
}

QString HtmlPaneView::StripActiveContent(const QString &html)
{
    static const QRegularExpression blocks(QStringLiteral("<(script|style|iframe|frameset|object|embed|applet)\\b.*?(</\\1\\s*>|$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression single(QStringLiteral("<(frame|link|meta|base)\\b[^>]*>"),
        QRegularExpression::CaseInsensitiveOption);
    QString out = html;
    out.remove(blocks);
    out.remove(single);
    return out;
}

void HtmlPaneView::SetPage(const QString &html, const QUrl &base)
{
    m_base = base;
    m_blank = false;
    if (html.size() > kMaxHtmlChars) {
        clear();
        return;
    }
    setHtml(StripActiveContent(html));
}

void HtmlPaneView::ClearPage()
{
    m_base = QUrl();
    m_blank = true;
    clear();
}

QUrl HtmlPaneView::LinkTarget(const QUrl &base, const QUrl &link)
{
    const QUrl target = base.isValid() && link.isRelative() ? base.resolved(link) : link;
    const QString scheme = target.scheme().toLower();
    if (!target.isValid() || target.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return {};
    return target;
}

QVariant HtmlPaneView::loadResource(int, const QUrl &name)
{
    // Nothing is fetched or read on the page's behalf. The answer is never
    // null: a null one would make the document read the name as a file.
    return PlainText::GuardedResource(name);
}

void HtmlPaneView::onAnchor(const QUrl &link)
{
    const QUrl target = LinkTarget(m_base, link);
    if (!target.isValid())
        return;
    OpenUrlOrReport(this, target.toString(QUrl::FullyEncoded));
}
