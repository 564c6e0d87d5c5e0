// The side web pane of a chat window: the local web-access page (the notice
// page of the maker's site, fetched at start-up) in a read-only HTML view.
// The window owns one pane and places it in its layout; the session's page
// timer decides when the window navigates it.
#pragma once

#include "controls/HtmlPaneView.h"

#include <QString>

class CConfig;

class ChatWebPane : public HtmlPaneView
{
    Q_OBJECT
public:
    // Local pages above this size are not shown.
    static constexpr qint64 kMaxPageBytes = 1024 * 1024;

    ChatWebPane(const CConfig *config, QWidget *parent = nullptr);

    // Keeps the page path and shows the page when the pane is on
    // (ChatShowWeb) and the file can be read; otherwise the pane is hidden.
    // Returns whether it shows the page.
    bool NavigateSidePane(const QString &path);
    QString pagePath() const { return m_path; }

    // The web-access page (GetWebAccessPagePath).
    bool NavigateToWebAccessPage();

    // Every pane of the program that shows `path` loads it again. Returns how
    // many did.
    static int RefreshAll(const QString &path);

private:
    const CConfig *m_config;
    QString m_path;
};
