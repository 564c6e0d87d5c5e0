// The web pane of the main panel (page 350, the folder "蓝雀vudo"): the
// maker's news summary page in a read-only HTML view (control 1150). The
// page is fetched on a worker thread.
#pragma once

#include <QRect>
#include <QUrl>
#include <QWidget>

class HtmlPaneView;
class PageFetcher;

class CWebPaneDlg : public QWidget
{
    Q_OBJECT
public:
    // The panel is widened to this while the pane's folder is open.
    static constexpr int kMinimumWidth = 316;

    explicit CWebPaneDlg(QWidget *parent = nullptr);
    ~CWebPaneDlg() override;

    // The summary page's address (an empty one shows the empty page).
    void SetSummaryUrl(const QUrl &url) { m_summary = url; }
    QUrl summaryUrl() const { return m_summary; }
    bool isFirstLoad() const { return m_firstLoad; }
    HtmlPaneView *view() const { return m_view; }

    // The pane's folder was opened (message 0x4C3): widens the panel
    // `window` when it is too narrow, then loads the summary page the first
    // time and refreshes it afterwards.
    void OnFolderOpened(QWidget *window);
    // The panel was shown while the pane is visible: the summary page.
    void LoadSummary();
    // The panel was closed: the empty page, and the summary page again the
    // next time the folder opens.
    void Blank();
    // Loads the address ("about:blank" or empty: the empty page).
    void Navigate(const QUrl &url);
    QUrl currentUrl() const { return m_current; }

    // The width and side of the last widening (0 when the panel was wide
    // enough).
    int rememberedWidth() const { return m_rememberedWidth; }
    bool widenedToLeft() const { return m_widenedToLeft; }

    struct Widening
    {
        QRect rect;
        bool widened = false;
        bool toLeft = false;
    };
    // The panel's frame widened to kMinimumWidth: to the right when it stays
    // within the desktop, else to the left.
    static Widening Widen(const QRect &frame, const QRect &desktop);

    // A remembered width below this is not given back.
    static constexpr int kMinimumRestoredWidth = 150;
    // The widened frame back at `width`: the edge that moved goes back,
    // unless that puts the panel past the desktop's edge on that side, where
    // the other edge gives way instead.
    static QRect Restored(const QRect &frame, const QRect &desktop, int width, bool widenedToLeft);
    // The contact list's folder was opened again: the panel `window` gets
    // back the width and side it had before the last widening. Once: the
    // widening is forgotten, and a panel the user resized since keeps its
    // width. True when the panel was placed.
    bool RestorePanel(QWidget *window);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    HtmlPaneView *m_view = nullptr;
    PageFetcher *m_fetcher = nullptr;
    QUrl m_summary;
    QUrl m_current;
    bool m_firstLoad = true;
    int m_rememberedWidth = 0;
    bool m_widenedToLeft = false;
};
