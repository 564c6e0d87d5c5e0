#include "chat/CChatLogDlg.h"
#include "controls/PlainLabel.h"

#include "chat/CMsgRichEdit.h"
#include "chat/ChatLogRecordModel.h"
#include "chat/ChatLogTasks.h"
#include "chat/HistoryLinks.h"
#include "chat/HistoryText.h"
#include "controls/ProgramArt.h"
#include "controls/SkinFont.h"
#include "core/CConfig.h"
#include "core/Prompter.h"
#include "core/WorkingSet.h"
#include "platform/DesktopServices.h"
#include "platform/WindowAlpha.h"

#include <QCloseEvent>
#include <algorithm>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// The user list at most takes this much of the window's width.
constexpr int kUserListMaxWidth = 460;

// Sizes the user list's columns to their titles and texts and lets the list
// take the width they need, so that the address that tells peers of the same
// name apart is in view.
void fitUserColumns(QTreeWidget *users)
{
    int needed = 2 * users->frameWidth()
        + users->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, users->verticalScrollBar());
    for (int column = 0; column < users->columnCount(); ++column) {
        users->resizeColumnToContents(column);
        needed += users->header()->sectionSize(column);
    }
    users->setMinimumWidth(std::min(needed, kUserListMaxWidth));
}

} // namespace

CChatLogDlg::CChatLogDlg(ChatLogWriter *writer, const QString &path, CConfig *config, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)
    , m_writer(writer)
    , m_path(path)
    , m_config(config)
{
    setObjectName(QStringLiteral("163"));
    setWindowTitle(QStringLiteral("查看聊天记录"));
    setWindowIcon(ProgramIcon());
    setFont(SongFont(12));
    WindowAlpha::SetKind(this, WindowAlpha::OtherWindows);
    if (m_config && m_config->OtherOpacity != 0)
        WindowAlpha::SetLayeredAlpha(this, WindowAlpha::FromPercent(m_config->OtherOpacity));
    m_tasks = new ChatLogTasks(writer, this);
    connect(m_tasks, &ChatLogTasks::progress, this, [this](int percent) { m_progress->setValue(percent); });
    connect(m_tasks, &ChatLogTasks::loaded, this, &CChatLogDlg::onLoaded);
    connect(m_tasks, &ChatLogTasks::searched, this, [this](const QList<qint32> &records) {
        setWorking(false);
        m_recordModel->SetRecords(m_browser.sharedIndex(), m_path, records, m_found);
        showTextView(false);
        fitRecordColumns();
        for (const int id : { FirstPage, PreviousPage, NextPage, LastPage })
            m_buttons.value(id)->hide();
        for (QWidget *w : std::initializer_list<QWidget *> { m_pageLabel, m_pageCombo,
                 findChild<QLabel *>(QString::number(GoToLabel)), findChild<QLabel *>(QString::number(PageUnitLabel)) })
            w->hide();
        emit taskFinished();
    });
    connect(m_tasks, &ChatLogTasks::removed, this, [this](const ChatLogRewrite::Result &result) {
        if (result.status != ChatLogRewrite::Status::Done)
            Prompter::current().messageBox(this,
                QStringLiteral("删除日志失败，聊天记录文件没有改动。\n%1").arg(result.error), QStringLiteral("错误"),
                Prompter::Buttons::Ok, Prompter::Icon::Critical);
    });
    createControls();
    resize(900, 540);
    LoadLog();
}

CChatLogDlg::~CChatLogDlg() = default;

void CChatLogDlg::createControls()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);

    auto *panes = new QHBoxLayout;
    m_users = new QTreeWidget(this);
    m_users->setObjectName(QString::number(UserList));
    m_users->setRootIsDecorated(false);
    m_users->setHeaderLabels(ChatLogBrowser::ColumnTitles());
    fitUserColumns(m_users);
    m_users->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_users->header()->setSectionsClickable(true);
    m_users->header()->setSortIndicatorShown(false);
    connect(m_users, &QTreeWidget::itemClicked, this, [this] { OnUserListClicked(); });
    connect(m_users->header(), &QHeaderView::sectionClicked, this, &CChatLogDlg::OnUserListColumnClick);
    panes->addWidget(m_users, 2);

    m_recordModel = new ChatLogRecordModel(this);
    m_records = new QTreeView(this);
    m_records->setObjectName(QString::number(RecordList));
    m_records->setRootIsDecorated(false);
    m_records->setUniformRowHeights(true);
    m_records->setModel(m_recordModel);
    m_records->setItemDelegateForColumn(ChatLogRecordModel::kTextColumn, new ChatLogHitDelegate(m_records));
    // The name, host and address of a hit are sized by fitRecordColumns;
    // its text has the rest of the pane.
    for (int column = 0; column < ChatLogRecordModel::kTextColumn; ++column)
        m_records->header()->setSectionResizeMode(column, QHeaderView::Fixed);
    m_records->header()->setSectionResizeMode(ChatLogRecordModel::kTextColumn, QHeaderView::Stretch);
    m_records->viewport()->installEventFilter(this);
    connect(m_records->verticalScrollBar(), &QScrollBar::valueChanged, this, &CChatLogDlg::fitRecordColumns);
    connect(m_records, &QTreeView::doubleClicked, this, [this](const QModelIndex &index) {
        OnRecordDoubleClicked(index.row());
    });
    panes->addWidget(m_records, 3);

    m_text = new CMsgRichEdit(this);
    m_text->setObjectName(QString::number(TextView));
    m_text->SetViewMode(CMsgRichEdit::HistoryView);
    m_text->SetConfig(m_config);
    m_text->viewport()->installEventFilter(this);
    m_text->viewport()->setMouseTracking(true);
    panes->addWidget(m_text, 3);
    layout->addLayout(panes, 1);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setRange(0, 100);
    m_progress->hide();
    layout->addWidget(m_progress);

    const auto makeButton = [this](int id, const QString &text) {
        auto *button = new QPushButton(text, this);
        button->setObjectName(QString::number(id));
        button->setAutoDefault(false);
        m_buttons.insert(id, button);
        return button;
    };
    const auto makeLabel = [this](int id, const QString &text) {
        auto *label = PlainLabel(text, this);
        label->setObjectName(QString::number(id));
        return label;
    };

    auto *paging = new QHBoxLayout;
    paging->addWidget(makeButton(FirstPage, QStringLiteral("首页")));
    paging->addWidget(makeButton(PreviousPage, QStringLiteral("上页")));
    paging->addWidget(makeButton(NextPage, QStringLiteral("下页")));
    paging->addWidget(makeButton(LastPage, QStringLiteral("尾页")));
    m_pageLabel = makeLabel(PageLabel, ChatLogTexts::PageLabel(1, 1));
    paging->addWidget(m_pageLabel);
    paging->addStretch(1);
    paging->addWidget(makeLabel(GoToLabel, QStringLiteral("到第")));
    m_pageCombo = new QComboBox(this);
    m_pageCombo->setObjectName(QString::number(PageCombo));
    paging->addWidget(m_pageCombo);
    paging->addWidget(makeLabel(PageUnitLabel, QStringLiteral("页")));
    layout->addLayout(paging);
    connect(m_buttons.value(FirstPage), &QAbstractButton::clicked, this, [this] { GoToPage(1); });
    connect(m_buttons.value(PreviousPage), &QAbstractButton::clicked, this,
        [this] { GoToPage(std::max(1, m_browser.currentPage() - 1)); });
    connect(m_buttons.value(NextPage), &QAbstractButton::clicked, this,
        [this] { GoToPage(std::min(m_browser.pageCount(), m_browser.currentPage() + 1)); });
    connect(m_buttons.value(LastPage), &QAbstractButton::clicked, this, [this] { GoToPage(m_browser.pageCount()); });
    connect(m_pageCombo, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_fillingCombo && index >= 0)
            GoToPage(index + 1);
    });

    auto *commands = new QHBoxLayout;
    commands->addWidget(makeLabel(SearchLabel, QStringLiteral("查找内容:")));
    m_search = new QLineEdit(this);
    m_search->setObjectName(QString::number(SearchText));
    connect(m_search, &QLineEdit::returnPressed, this, &CChatLogDlg::OnSearch);
    commands->addWidget(m_search, 1);
    const auto command = [&](int id, const QString &text, auto slot) {
        QPushButton *button = makeButton(id, text);
        commands->addWidget(button);
        connect(button, &QAbstractButton::clicked, this, slot);
    };
    command(Search, QStringLiteral("查找"), [this] { OnSearch(); });
    command(Refresh, QStringLiteral("刷新"), [this] {
        m_records->clearSelection();
        LoadLog();
    });
    command(DeleteLogs, QStringLiteral("删除日志"), [this] { OnDeleteLogs(); });
    command(Close, QStringLiteral("关闭"), [this] { close(); });
    layout->addLayout(commands);
}

bool CChatLogDlg::isWorking() const
{
    return m_tasks->isBusy();
}

void CChatLogDlg::setWorking(bool working)
{
    m_progress->setValue(0);
    m_progress->setVisible(working);
    for (const int id : { Search, Refresh, DeleteLogs })
        m_buttons.value(id)->setEnabled(!working);
    m_users->setEnabled(!working);
}

void CChatLogDlg::showTextView(bool text)
{
    m_text->setVisible(text);
    m_records->setVisible(!text);
    for (const int id : { FirstPage, PreviousPage, NextPage, LastPage })
        m_buttons.value(id)->setVisible(true);
    for (QWidget *w : std::initializer_list<QWidget *> { m_pageLabel, m_pageCombo,
             findChild<QLabel *>(QString::number(GoToLabel)), findChild<QLabel *>(QString::number(PageUnitLabel)) })
        w->setVisible(true);
}

// ---- reading ------------------------------------------------------------

void CChatLogDlg::clearViews()
{
    showTextView(false);
    m_users->clear();
    m_recordModel->Clear();
    m_text->clear();
    m_browser.Clear();
}

void CChatLogDlg::LoadLog()
{
    if (m_tasks->isBusy())
        return;
    clearViews();
    setWorking(true);
    m_tasks->Load(m_path);
}

void CChatLogDlg::onLoaded(std::shared_ptr<const ChatLogIndex> index)
{
    setWorking(false);
    m_browser.SetIndex(std::move(index), m_path);
    m_text->clear();
    fillUserList();
    showPage();
    if (m_config && m_config->AutoMemMin)
        TrimWorkingSet();
    emit taskFinished();
}

void CChatLogDlg::fillUserList()
{
    m_users->clear();
    QList<QTreeWidgetItem *> items;
    for (int row = 0; row < m_browser.rowCount(); ++row)
        items.append(new QTreeWidgetItem(m_browser.RowTexts(row)));
    m_users->addTopLevelItems(items);
    fitUserColumns(m_users);
}

QList<int> CChatLogDlg::selectedRows() const
{
    QList<int> rows;
    for (QTreeWidgetItem *item : m_users->selectedItems())
        rows.append(m_users->indexOfTopLevelItem(item));
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CChatLogDlg::OnUserListClicked()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    showTextView(true);
    m_browser.ChooseRows(rows);
    if (m_config && m_config->AutoMemMin)
        TrimWorkingSet();
    showPage();
}

void CChatLogDlg::OnUserListColumnClick(int column)
{
    m_browser.OnColumnClick(column);
    fillUserList();
}

// ---- pages --------------------------------------------------------------

void CChatLogDlg::GoToPage(int page)
{
    m_browser.SetPage(page);
    showPage();
}

void CChatLogDlg::showPage()
{
    m_text->clear();
    if (const ChatLogIndex *index = m_browser.index()) {
        // Only the page's records are read and drawn.
        for (const ChatLogEntry &entry : ChatLogBrowser::ReadRecords(m_path, *index, m_browser.PageRecords()))
            RenderHistoryText(m_text, entry.font, entry.text,
                [this](quint32 id, bool animated) { InsertLoggedPicture(m_text, id, animated); });
    }
    m_pageLabel->setText(m_browser.PageLabel());
    m_fillingCombo = true;
    m_pageCombo->clear();
    for (int page = 1; page <= m_browser.pageCount(); ++page)
        m_pageCombo->addItem(QString::number(page));
    m_pageCombo->setCurrentIndex(m_browser.currentPage() - 1);
    m_fillingCombo = false;
}

// ---- search -------------------------------------------------------------

void CChatLogDlg::OnSearch()
{
    const QString text = m_search->text();
    if (text.isEmpty() || !m_browser.index() || m_tasks->isBusy())
        return;
    setWorking(true);
    m_found = text;
    m_tasks->Search(m_browser.sharedIndex(), m_path, text);
}

void CChatLogDlg::OnRecordDoubleClicked(int row)
{
    const qint32 record = m_recordModel->recordAt(row);
    if (record < 0)
        return;
    m_browser.ShowSingleRecord(record);
    showTextView(true);
    showPage();
}

// ---- deleting -----------------------------------------------------------

void CChatLogDlg::OnDeleteLogs()
{
    if (m_tasks->isBusy())
        return;
    const QList<int> rows = selectedRows();
    const QString question
        = rows.isEmpty() ? ChatLogTexts::DeleteAllQuestion() : ChatLogTexts::DeleteSomeQuestion(int(rows.size()));
    if (!Prompter::current().askYesNo(this, question, QStringLiteral("提示")))
        return;
    ChatLogRewrite::RemovePredicate remove;
    if (rows.isEmpty()) {
        remove = [](const ChatLogPeer &) { return true; };
    } else {
        remove = [chosen = m_browser.ChosenPeers(rows)](
                     const ChatLogPeer &peer) { return ChatLogBrowser::IsRecordOf(peer, chosen); };
    }
    clearViews();
    setWorking(true);
    m_tasks->Remove(m_path, std::move(remove));
}

// ---- the window ---------------------------------------------------------

bool CChatLogDlg::OpenLink(const QString &href)
{
    const QUrl url = LinkTarget(href);
    if (!IsOpenableLink(url))
        return false;
    return DesktopServices::current().openUrl(url);
}

void CChatLogDlg::fitRecordColumns()
{
    const QAbstractItemView &view = *m_records;
    QHeaderView &header = *m_records->header();
    QList<int> needed;
    QList<int> titles;
    for (int column = 0; column < ChatLogRecordModel::kTextColumn; ++column) {
        titles.append(header.sectionSizeHint(column));
        needed.append(std::max(view.sizeHintForColumn(column), titles.last()));
    }
    const QList<int> widths = ChatLogRecordModel::KeyColumnWidths(needed, titles, m_records->viewport()->width() / 2);
    for (int column = 0; column < ChatLogRecordModel::kTextColumn; ++column)
        header.resizeSection(column, widths[column]);
}

bool CChatLogDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_records->viewport() && event->type() == QEvent::Resize)
        fitRecordColumns();
    if (watched == m_text->viewport()) {
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            const QString href = m_text->anchorAt(mouse->position().toPoint());
            if (!href.isEmpty() && mouse->button() == Qt::LeftButton && !m_text->textCursor().hasSelection())
                OpenLink(href);
        } else if (event->type() == QEvent::MouseMove) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            m_text->viewport()->setCursor(
                m_text->anchorAt(mouse->position().toPoint()).isEmpty() ? Qt::IBeamCursor : Qt::PointingHandCursor);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CChatLogDlg::closeEvent(QCloseEvent *event)
{
    // The lists and the view go with the window.
    clearViews();
    event->accept();
    QDialog::closeEvent(event);
}
