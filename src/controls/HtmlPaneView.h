// A read-only view of a web page's HTML, standing in for the embedded
// browser of the web panes: it runs no scripts and loads nothing by itself
// (no pictures, style sheets or frames from anywhere); a click on a link
// opens it in the desktop's browser when it is an http or https address and
// does nothing otherwise.
#pragma once

#include <QTextBrowser>
#include <QUrl>

class HtmlPaneView : public QTextBrowser
{
    Q_OBJECT
public:
    // Pages above this size are not shown.
    static constexpr qsizetype kMaxHtmlChars = 1024 * 1024;

    explicit HtmlPaneView(QWidget *parent = nullptr);

    // Shows the page; relative links resolve against `base`.
    void SetPage(const QString &html, const QUrl &base = QUrl());
    // The empty page ("about:blank").
    void ClearPage();
    QUrl base() const { return m_base; }
    bool isBlank() const { return m_blank; }

    // The address a click on `link` opens, or an invalid URL when it opens
    // nothing (not http or https after resolving).
    static QUrl LinkTarget(const QUrl &base, const QUrl &link);
    // The page without its script, style and frame elements.
    static QString StripActiveContent(const QString &html);

protected:
    QVariant loadResource(int type, const QUrl &name) override;

private:
    void onAnchor(const QUrl &link);

    QUrl m_base;
    bool m_blank = true;
};
