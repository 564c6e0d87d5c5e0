#include "chat/ChatWebPane.h"

#include "core/CConfig.h"
#include "core/FileUtil.h"
#include "core/Gbk.h"
#include "net/VersionFetch.h"

#include <QApplication>

ChatWebPane::ChatWebPane(const CConfig *config, QWidget *parent)
    : HtmlPaneView(parent)
    , m_config(config)
{
    setObjectName(QStringLiteral("1150"));
    hide();
}

bool ChatWebPane::NavigateSidePane(const QString &path)
{
    m_path = path;
    const bool enabled = m_config && m_config->ChatShowWeb != 0;
    const auto bytes = enabled && !path.isEmpty() ? LoadFileToGlobal(path, kMaxPageBytes) : std::nullopt;
    if (!bytes) {
        hide();
        return false;
    }
    const bool utf8 = bytes->startsWith("\xEF\xBB\xBF");
    SetPage(utf8 ? QString::fromUtf8(bytes->sliced(3)) : Gbk::decode(*bytes));
    show();
    return true;
}

bool ChatWebPane::NavigateToWebAccessPage()
{
    return NavigateSidePane(GetWebAccessPagePath());
}

int ChatWebPane::RefreshAll(const QString &path)
{
    int count = 0;
    const auto widgets = QApplication::allWidgets();
    for (QWidget *widget : widgets) {
        auto *pane = qobject_cast<ChatWebPane *>(widget);
        if (pane && !pane->m_path.isEmpty() && pane->m_path == path) {
            pane->NavigateSidePane(path);
            ++count;
        }
    }
    return count;
}
