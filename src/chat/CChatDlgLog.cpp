// The chat window's chat-log buttons: "聊天记录" (1082) shows this peer's
// history from the chat log in the window itself, by the filter the user
// sets; "全部记录" (1083) opens the chat-log viewer. The log is read on a
// worker, with a bar at the foot of the history; the records are drawn a
// batch at a time so the window stays responsive however long the history is.
// Messages that arrive meanwhile are shown at once and stay below the records,
// which are those logged before the reading began.
#include "chat/CChatDlg.h"

#include "chat/CMsgRichEdit.h"
#include "chat/ChatLogBrowser.h"
#include "chat/ChatLogTasks.h"
#include "chat/CUserLogFilterDlg.h"
#include "core/CConfig.h"
#include "core/Prompter.h"
#include "core/WorkingSet.h"
#include "net/ChatLogWriter.h"

#include <QDate>
#include <QPointer>
#include <QProgressBar>
#include <QTimer>

namespace {

// Records drawn per turn of the event loop.
constexpr int kDrawBatch = 50;

// The filter's switches and the dialog's members that show them.
const std::pair<bool ChatLogFilter::*, bool CUserLogFilterDlg::*> kSwitches[] = {
    { &ChatLogFilter::groupEqual, &CUserLogFilterDlg::m_groupEqual },
    { &ChatLogFilter::hostEqual, &CUserLogFilterDlg::m_hostEqual },
    { &ChatLogFilter::addressEqual, &CUserLogFilterDlg::m_addressEqual },
    { &ChatLogFilter::loginEqual, &CUserLogFilterDlg::m_loginEqual },
    { &ChatLogFilter::userEqual, &CUserLogFilterDlg::m_userEqual },
    { &ChatLogFilter::macEqual, &CUserLogFilterDlg::m_macEqual },
};

// The filter dialog ("设置过滤条件"), preset from the filter; it goes with
// its window when it ends, and only OK calls done.
void AskWithFilterDialog(QWidget *parent, const ChatLogFilter &preset, CChatDlg::LogFilterDone done)
{
    auto *dialog = new CUserLogFilterDlg(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    for (const auto &[own, shown] : kSwitches)
        dialog->*shown = preset.*own;
    dialog->m_period = preset.period;
    QObject::connect(dialog, &QDialog::accepted, dialog, [dialog, preset, done = std::move(done)] {
        ChatLogFilter filter = preset;
        for (const auto &[own, shown] : kSwitches)
            filter.*own = dialog->*shown;
        filter.period = dialog->m_period;
        done(filter);
    });
    dialog->open();
}

// The thin bar at the foot of the history that shows how far the log is
// read, then drawn; made on first use, hidden when the history is shown.
QProgressBar *logProgressBar(QTextEdit *history)
{
    auto *bar = history->findChild<QProgressBar *>(QStringLiteral("logProgress"), Qt::FindDirectChildrenOnly);
    if (!bar) {
        bar = new QProgressBar(history);
        bar->setObjectName(QStringLiteral("logProgress"));
        bar->setTextVisible(false);
    }
    constexpr int kHeight = 6;
    bar->setGeometry(0, history->height() - kHeight, history->width(), kHeight);
    return bar;
}

CChatDlg::LogFilterAsker &logFilterAsker()
{
    static CChatDlg::LogFilterAsker asker = AskWithFilterDialog;
    return asker;
}

} // namespace

void CChatDlg::SetLogFilterAsker(LogFilterAsker asker)
{
    logFilterAsker() = asker ? std::move(asker) : AskWithFilterDialog;
}

void CChatDlg::OnPeerLog()
{
    SendReadNotice();
    const HostRecord *host = peer();
    ChatLogWriter *writer = m_session ? m_session->services().chatLog : nullptr;
    if (!host || !writer)
        return;
    const QString path = writer->GetChatLogPath();
    if (!writer->HasLog()) {
        if (Prompter::current().askYesNo(this, ChatLogTexts::NoLogQuestion(), QStringLiteral("提示")))
            emit settingsRequested();
        return;
    }
    QPointer<CChatDlg> self(this);
    logFilterAsker()(this, ChatLogFilter::ForPeer(*host), [self, writer, path](const ChatLogFilter &filter) {
        if (!self)
            return;
        if (!self->m_logTasks) {
            self->m_logTasks = new ChatLogTasks(writer, self);
            connect(self->m_logTasks, &ChatLogTasks::historyCollected, self, &CChatDlg::showLoggedHistory);
            connect(self->m_logTasks, &ChatLogTasks::progress, self,
                [history = self->m_history](int percent) { logProgressBar(history)->setValue(percent); });
        }
        // One reading at a time, until its last record is drawn.
        if (self->m_logTasks->isBusy() || self->m_loggedEnd >= 0)
            return;
        self->m_loggedHistory.clear();
        self->m_history->clear();
        self->m_loggedEnd = 0;
        QProgressBar *bar = logProgressBar(self->m_history);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->show();
        self->m_logTasks->CollectHistory(path, filter, QDate::currentDate());
    });
}

void CChatDlg::showLoggedHistory(const QList<ChatLogEntry> &entries)
{
    // The history holds what arrived since it was cleared: the records go before it.
    m_loggedHistory = entries;
    logProgressBar(m_history)->setRange(0, int(std::max<qsizetype>(1, entries.size())));
    drawLoggedBatch();
}

void CChatDlg::drawLoggedBatch()
{
    const qsizetype n = std::min<qsizetype>(kDrawBatch, m_loggedHistory.size());
    for (qsizetype i = 0; i < n; ++i) {
        const ChatLogEntry &entry = m_loggedHistory[i];
        m_loggedEnd = RenderMessage(entry.font, entry.text, Source::FromLog, {}, m_loggedEnd);
    }
    m_loggedHistory.remove(0, n);
    QProgressBar *bar = logProgressBar(m_history);
    bar->setValue(bar->maximum() - int(m_loggedHistory.size()));
    if (!m_loggedHistory.isEmpty()) {
        QTimer::singleShot(0, this, &CChatDlg::drawLoggedBatch);
    } else {
        m_loggedEnd = -1;
        bar->hide();
        emit loggedHistoryShown();
    }
}

void CChatDlg::OnWholeLog()
{
    SendReadNotice();
    emit chatLogViewerRequested();
    if (m_config && m_config->AutoMemMin)
        TrimWorkingSet();
}
