// The notification popup at the bottom-right corner of the screen: it
// slides up, shows one notice at a time with paging ("前一条", "后一条"),
// opens what a notice links to ("打开") and closes itself a while after the
// slide unless the cursor rests on it.
#pragma once

#include "mainwnd/TipGeometry.h"
#include "mainwnd/TipLink.h"
#include "mainwnd/TipNoticeList.h"

#include <QBasicTimer>
#include <QWidget>

class CConfig;

class CMsgTipDlg : public QWidget
{
    Q_OBJECT
public:
    // The configuration gives the colours (null: the default colours).
    explicit CMsgTipDlg(const CConfig *config = nullptr, QWidget *parent = nullptr);

    void SetAutoClose(bool autoClose) { m_autoClose = autoClose; }
    bool autoClose() const { return m_autoClose; }
    // True when no close timer runs.
    bool IsIdle() const { return !m_closeTimer.isActive(); }
    // Stops the close timer and hides the popup (the notices stay).
    void Close();
    // A further notice arrived: a running close timer starts again.
    void RestartCloseTimer();

    // Adds a notice; with show the popup appears (sliding in when it was
    // hidden) on the newest notice.
    void AddNotice(const TipNotice &notice, bool show = true, const QString &extra = QString());
    // Forgets every notice.
    void ClearNotices();
    const TipNoticeList &notices() const { return m_notices; }

    bool isSliding() const { return m_slideTimer.isActive(); }
    const TipGeometry::Slide &slide() const { return m_slide; }

    // What a left click at the point does (also used by the mouse handler).
    void ClickAt(const QPoint &point);
    // Opens the link of the notice shown.
    void OpenCurrentLink();

signals:
    void addressLinkActivated(quint32 address);
    void keyLinkActivated(const QString &keyText);
    void groupLinkActivated(quint32 groupId);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    bool event(QEvent *event) override;

private:
    void startShowing();
    void finishSlide();
    void closeAndForget();
    QString toolTipAt(const QPoint &point) const;
    bool cursorInside() const;

    const CConfig *m_config;
    TipNoticeList m_notices;
    TipGeometry::Slide m_slide;
    QBasicTimer m_slideTimer;
    QBasicTimer m_closeTimer;
    bool m_autoClose = true;
};
