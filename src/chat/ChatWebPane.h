// The side web pane of a chat window: the local web-access page (the notice
// page of the maker's site, fetched at start-up) in a read-only HTML view.
// The window owns one pane, places it in its layout and lets its page timer
// ask the pane what to do (PageTick).
#pragma once

#include "controls/HtmlPaneView.h"

#include <QSet>
#include <QString>

class CConfig;

class ChatWebPane : public HtmlPaneView
{
    Q_OBJECT
public:
    // The page timer: 20 ms after the window opens, then hourly.
    static constexpr int kFirstTickMs = 20;
    static constexpr int kHourlyMs = 3600000;
    // Local pages above this size are not shown.
    static constexpr qint64 kMaxPageBytes = 1024 * 1024;

    ChatWebPane(const CConfig *config, QWidget *parent = nullptr);

    // Keeps the page path and shows the page when the pane is on
    // (ChatShowWeb) and the file can be read; otherwise the pane is hidden.
    // Returns whether it shows the page.
    bool NavigateSidePane(const QString &path);
    QString pagePath() const { return m_path; }

    // One tick of the window's page timer for the peer with the key text
    // `peerKey`; navigates as the rules say and returns the timer's next
    // interval in milliseconds, or 0 when the timer is to stop:
    // - with CloseDialogDeleteRes on (windows are made anew each time), the
    //   page is shown once per peer and program run, and the timer stops;
    // - otherwise the first tick shows the page and the timer goes hourly;
    //   later ticks show it again while the window is hidden.
    int PageTick(const QString &peerKey, bool windowHidden);

    // Every pane of the program that shows `path` loads it again. Returns how
    // many did.
    static int RefreshAll(const QString &path);
    // The peers whose page was shown once (CloseDialogDeleteRes on).
    static QSet<QString> &shownPeers();

private:
    const CConfig *m_config;
    QString m_path;
    bool m_firstRefresh = true;
};
