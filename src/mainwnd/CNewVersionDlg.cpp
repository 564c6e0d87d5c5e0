#include "mainwnd/CNewVersionDlg.h"

#include "core/Prompter.h"
#include "platform/OpenUrl.h"
#include "platform/WindowAlpha.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

CNewVersionDlg::CNewVersionDlg(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("160"));
    setWindowTitle(QStringLiteral("Kwel检测到新版本提示"));
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint);
    WindowAlpha::SetKind(this, WindowAlpha::OtherWindows);
    resize(kSize);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("1078"));
    m_text->setReadOnly(true);
    auto *download = new QPushButton(QStringLiteral("点击下载最新版本"), this);
    download->setObjectName(QStringLiteral("1001"));
    auto *close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("1002"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(download);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addLayout(buttons);
    connect(download, &QPushButton::clicked, this, &CNewVersionDlg::OnDownload);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    m_slide.setInterval(kSlideStepMs);
    connect(&m_slide, &QTimer::timeout, this, &CNewVersionDlg::slideStep);
}

void CNewVersionDlg::SetInfo(const QString &text, const QString &downloadUrl, bool lan, quint32 peerAddress)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_text->setPlainText(shown);
    m_url = downloadUrl;
    m_lan = lan;
    m_peer = peerAddress;
}

QString CNewVersionDlg::infoText() const
{
    return m_text->toPlainText();
}

QRect CNewVersionDlg::workArea() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

QPoint CNewVersionDlg::SlidePosition(const QRect &workArea, const QSize &frame, int step)
{
    const int right = workArea.x() + workArea.width();
    const int bottom = workArea.y() + workArea.height();
    // A notice taller or wider than the work area keeps its top left corner on it.
    return QPoint(std::max(workArea.x(), right - frame.width()),
        std::max(workArea.y(), bottom - frame.height() * std::clamp(step, 0, kSlideSteps) / kSlideSteps));
}

void CNewVersionDlg::ShowSliding()
{
    m_step = 0;
    move(SlidePosition(workArea(), frameGeometry().size(), 1));
    show();
    slideStep();
    m_slide.start();
}

void CNewVersionDlg::slideStep()
{
    ++m_step;
    move(SlidePosition(workArea(), frameGeometry().size(), std::min(m_step, kSlideSteps)));
    if (m_step >= kSlideSteps)
        m_slide.stop();
}

void CNewVersionDlg::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    // The window manager's frame and the layout's size come after the first
    // steps: the notice that has slid up stays wholly on the work area.
    if (isVisible() && !isSliding() && m_step >= kSlideSteps)
        move(SlidePosition(workArea(), frameGeometry().size(), kSlideSteps));
}

void CNewVersionDlg::OnDownload()
{
    if (m_url.trimmed().isEmpty())
        Prompter::current().messageBox(this, QStringLiteral("没有得到新版本的下载地址，请稍后再检查新版本。"),
            QStringLiteral("提示"), Prompter::Buttons::Ok, Prompter::Icon::Information);
    else
        OpenUrlOrReport(this, m_url);
    close();
}
