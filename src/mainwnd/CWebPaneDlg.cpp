#include "mainwnd/CWebPaneDlg.h"

#include "controls/HtmlPaneView.h"
#include "net/PageFetcher.h"

#include <QGuiApplication>
#include <QScreen>
#include <utility>

CWebPaneDlg::CWebPaneDlg(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("350"));
    m_view = new HtmlPaneView(this);
    m_view->setObjectName(QStringLiteral("1150"));
    m_fetcher = new PageFetcher(this);
    connect(m_fetcher, &PageFetcher::fetched, this, [this](const QUrl &url, const QString &text, bool ok) {
        if (url != m_current)
            return; // the pane moved on
        if (ok)
            m_view->SetPage(text, url);
        else
            m_view->ClearPage();
    });
}

CWebPaneDlg::~CWebPaneDlg() = default;

void CWebPaneDlg::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_view->setGeometry(rect());
}

CWebPaneDlg::Widening CWebPaneDlg::Widen(const QRect &frame, const QRect &desktop)
{
    Widening w{frame, false, false};
    if (frame.width() >= kMinimumWidth)
        return w;
    w.widened = true;
    if (frame.x() + kMinimumWidth <= desktop.x() + desktop.width()) {
        w.rect.setWidth(kMinimumWidth);
    } else {
        w.rect.setLeft(frame.x() + frame.width() - kMinimumWidth);
        w.toLeft = true;
    }
    return w;
}

namespace {

QRect desktopOf(const QWidget &window)
{
    const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

// Places the window's frame at the rectangle.
void placeFrame(QWidget &window, const QRect &frame)
{
    window.resize(window.width() + frame.width() - window.frameGeometry().width(), window.height());
    window.move(frame.topLeft());
}

} // namespace

QRect CWebPaneDlg::Restored(const QRect &frame, const QRect &desktop, int width, bool widenedToLeft)
{
    const int left = frame.x();
    const int right = frame.x() + frame.width(); // one past, as the desktop's
    const int desktopRight = desktop.x() + desktop.width();
    const bool keepLeft = widenedToLeft ? left + width > desktopRight : right - width > desktop.x();
    return keepLeft ? QRect(left, frame.y(), width, frame.height()) : QRect(right - width, frame.y(), width, frame.height());
}

bool CWebPaneDlg::RestorePanel(QWidget *window)
{
    const int width = std::exchange(m_rememberedWidth, 0);
    if (!window || width < kMinimumRestoredWidth || window->frameGeometry().width() != kMinimumWidth)
        return false;
    placeFrame(*window, Restored(window->frameGeometry(), desktopOf(*window), width, m_widenedToLeft));
    return true;
}

void CWebPaneDlg::OnFolderOpened(QWidget *window)
{
    if (window) {
        const QRect frame = window->frameGeometry();
        const Widening w = Widen(frame, desktopOf(*window));
        if (w.widened) {
            m_rememberedWidth = frame.width();
            m_widenedToLeft = w.toLeft;
            placeFrame(*window, w.rect);
        }
    }
    if (m_firstLoad || m_current.isEmpty()) {
        m_firstLoad = false;
        Navigate(m_summary);
    } else {
        Navigate(m_current);
    }
}

void CWebPaneDlg::LoadSummary()
{
    m_firstLoad = false;
    Navigate(m_summary);
}

void CWebPaneDlg::Blank()
{
    Navigate(QUrl(QStringLiteral("about:blank")));
    m_firstLoad = true;
}

void CWebPaneDlg::Navigate(const QUrl &url)
{
    m_current = url;
    if (url.isEmpty() || url.toString() == QLatin1String("about:blank")) {
        m_view->ClearPage();
        return;
    }
    m_fetcher->Fetch(url);
}
