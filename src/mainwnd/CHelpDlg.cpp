#include "mainwnd/CHelpDlg.h"
#include "controls/PlainLabel.h"

#include "controls/CHyperLinkStatic.h"
#include "controls/ProgramArt.h"
#include "core/CConfig.h"
#include "platform/WindowAlpha.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QTimerEvent>
#include <QUrl>
#include <QVBoxLayout>

namespace {
constexpr int kFlapMs = 5000;
}

QString CHelpDlg::HelpText()
{
    static const char16_t *const sections[] = {
        u"一、上线与用户列表\n"
        u"Kwel 启动后向局域网广播上线通知, 同一网段内运行 Kwel 或飞鸽传书(IPMsg)的用户会自动出现在用户列表中。"
        u"点击\"刷新\"可以重新查找在线用户。",
        u"二、发送消息\n"
        u"双击列表中的用户打开聊天窗口, 输入文字后按回车或点击\"发送\"。对方打开消息后您会收到消息打开通知。",
        u"三、传送文件\n"
        u"在聊天窗口中选择文件或文件夹, 对方同意接收后开始传送; 传送进度可以在文件传送监视中查看。",
        u"四、托盘图标与热键\n"
        u"关闭主面板时程序缩到系统托盘, 并不退出; 有未读消息时托盘图标闪烁, 单击即可打开。"
        u"默认热键 Ctrl+Shift+X 随时唤出主面板。退出程序请使用托盘菜单中的\"退出\"。",
        u"五、分组与备注\n"
        u"可以把用户放入自己的分组, 并为用户设置备注名, 备注和分组保存在本机。",
        u"六、隐身与离开\n"
        u"托盘菜单可以设置为离开或隐身状态; 隐身时其他用户看不到您上线, 仍可以给您发消息。",
    };
    QStringList parts;
    for (const char16_t *section : sections)
        parts << QString::fromUtf16(section);
    return parts.join(QStringLiteral("\n\n"));
}

CHelpDlg::CHelpDlg(const QString &dataFolder, const CConfig *config, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("100"));
    setWindowTitle(QStringLiteral("Kwel 帮助"));
    setWindowIcon(ProgramIcon());
    WindowAlpha::SetKind(this, WindowAlpha::OtherWindows);

    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    m_picture = PlainLabel(QString(), this);
    m_picture->setFixedSize(96, 96);
    m_picture->setPixmap(HelpPicture(0));
    top->addWidget(m_picture, 0, Qt::AlignTop);
    // The program's own rich text; only the version is inserted, escaped.
    const QString version = QCoreApplication::applicationVersion();
    auto *title = new QLabel(QStringLiteral("<b>蓝雀Kwel</b><br>局域网即时通讯")
            + (version.isEmpty() ? QString() : QStringLiteral("<br>版本 ") + version.toHtmlEscaped()),
        this);
    top->addWidget(title, 1);
    layout->addLayout(top);

    m_text = new QTextBrowser(this);
    m_text->setPlainText(HelpText());
    QPalette textPalette = m_text->palette();
    textPalette.setColor(QPalette::Text, QColor(0, 0, 255));
    m_text->setPalette(textPalette);
    m_text->setMinimumSize(360, 220);
    layout->addWidget(m_text, 1);

    // The user's own folders: data, settings and downloads.
    const QString settings = config ? QFileInfo(config->StorePath()).absolutePath() : dataFolder;
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    const QString folders[3] = {dataFolder, settings, downloads.isEmpty() ? QDir::homePath() : downloads};
    const char16_t *const names[3] = {u"打开数据文件夹", u"打开设置文件夹", u"打开下载文件夹"};
    auto *links = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        m_links[i] = new CHyperLinkStatic(QString::fromUtf16(names[i]),
            QUrl::fromLocalFile(QDir::cleanPath(folders[i])).toString(), this);
        links->addWidget(m_links[i]);
    }
    links->addStretch(1);
    layout->addLayout(links);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);

    m_flap.start(kFlapMs, this);
    if (config && config->OtherOpacity != 0)
        WindowAlpha::SetLayeredAlpha(this, WindowAlpha::FromPercent(config->OtherOpacity));
}

CHyperLinkStatic *CHelpDlg::link(int index) const
{
    return index >= 0 && index < 3 ? m_links[index] : nullptr;
}

void CHelpDlg::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_flap.timerId()) {
        QDialog::timerEvent(event);
        return;
    }
    m_frame = 1 - m_frame;
    m_picture->setPixmap(HelpPicture(m_frame));
}
