// The file panel's controls, lists, layout, painting and drops; the commands
// are in CChatFilePanelCommands.cpp.
#include "chat/CChatFilePanel.h"
#include "core/PlainText.h"

#include "chat/COverwritePromptDlg.h"
#include "chat/FileTypeIcons.h"
#include "chat/TransferProgressDelegate.h"
#include "controls/FillGradientRect.h"
#include "controls/SkinColor.h"
#include "controls/SkinFont.h"
#include "core/CConfig.h"
#include "core/PathUtil.h"
#include "core/Prompter.h"
#include "chat/session/ChatFileTransfers.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTextDocument>
#include <QToolTip>
#include <QTreeWidget>
#include <algorithm>
#include <utility>

namespace {

namespace Id = ChatCtl;

// The controls of the two receive lists, shown only with the file lists.
constexpr int kReceiveControls[] = { Id::OfferedList, Id::ReceivedList, Id::StopTransfer, Id::ReceiveAll, Id::RejectAll,
    Id::Receive, Id::Reject, Id::ShowInFolder, Id::OpenReceived, Id::ClearReceived };
// The buttons the progress display replaces.
constexpr int kProgressReplaces[] = { Id::ReceiveAll, Id::RejectAll, Id::Receive, Id::Reject };

uint32_t skin(const CConfig *config, uint32_t CConfig::*member, uint32_t fallback)
{
    return config ? config->*member : fallback;
}

} // namespace

CChatFilePanel::CChatFilePanel(ChatFileTransfers &files, CConfig *config, QWidget *parent)
    : QWidget(parent)
    , m_transfers(files)
    , m_config(config)
    , m_prompts(std::make_unique<DialogReceivePrompts>(this))
{
    setObjectName(QStringLiteral("filePanel"));
    setAcceptDrops(true);
    setFont(SongFont(12));
    // While the panel shows the files, the receiver asks through its dialogs.
    m_transfers.setPrompts(m_prompts.get());
    connect(&m_transfers, &ChatFileTransfers::offeredRowsChanged, this, &CChatFilePanel::onOfferedRowsChanged);
    connect(&m_transfers, &ChatFileTransfers::receivedRowsChanged, this, &CChatFilePanel::FillReceivedList);
    connect(&m_transfers, &ChatFileTransfers::attachmentRowsChanged, this, &CChatFilePanel::FillAttachmentList);
    connect(&m_transfers, &ChatFileTransfers::outgoingRowsChanged, this, &CChatFilePanel::FillAttachmentList);
    connect(&m_transfers, &ChatFileTransfers::outgoingRowChanged, this, &CChatFilePanel::updateOutgoingRow);
    connect(&m_transfers, &ChatFileTransfers::progressChanged, this, &CChatFilePanel::SetProgress);
    connect(&m_transfers, &ChatFileTransfers::receiveStateChanged, this, &CChatFilePanel::updateReceiveButtons);
    connect(&m_transfers, &ChatFileTransfers::moreOffersWaiting, this, &CChatFilePanel::onMoreOffersWaiting);
    createControls();
    LayoutSidePanel(parent ? parent->size() : QSize(483, 435), m_sideWidth);
    // A window made for a session that already holds files shows them.
    FillOfferedList();
    FillReceivedList();
    FillAttachmentList();
    SetProgress(m_transfers.progressPercent(), m_transfers.progressText());
}

CChatFilePanel::~CChatFilePanel()
{
    m_transfers.setPrompts(nullptr);
    m_transfers.disconnect(this);
}

const FilePanelModel &CChatFilePanel::model() const
{
    return m_transfers.model();
}

QAbstractButton *CChatFilePanel::makeButton(
    int id, const QString &text, const QString &tip, std::function<void()> action)
{
    auto *button = new QPushButton(text, this);
    button->setObjectName(QString::number(id));
    button->setToolTip(PlainText::ToolTip(tip));
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFont(SongFont(12));
    connect(button, &QPushButton::clicked, this, std::move(action));
    m_controls.insert(id, button);
    return button;
}

QTreeWidget *CChatFilePanel::makeList(int id, const QStringList &columns, const QList<int> &widths)
{
    auto *list = new QTreeWidget(this);
    list->setObjectName(QString::number(id));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setIconSize(QSize(16, 16));
    list->setHeaderLabels(columns);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    list->setFont(SongFont(12));
    list->header()->setStretchLastSection(false);
    list->header()->setFont(SongFont(12));
    for (int i = 0; i < widths.size(); ++i)
        list->setColumnWidth(i, widths[i]);
    QPalette palette = list->palette();
    palette.setColor(QPalette::Base, Qt::white);
    list->setPalette(palette);
    m_controls.insert(id, list);
    return list;
}

void CChatFilePanel::createControls()
{
    const QList<int> receiveWidths { 115, 45, 70, 300, 100 };
    m_offeredList = makeList(Id::OfferedList, OfferedColumnTitles(), receiveWidths);
    m_receivedList = makeList(Id::ReceivedList, OfferedColumnTitles(), receiveWidths);
    m_attachmentList = makeList(Id::AttachmentList, AttachmentColumnTitles(), { 38, 38, 38, 300 });
    // The names fill the list's width, elided in their middle (keeping the
    // type); the path (or the state of a sent item) lies right of them.
    m_attachmentList->setTextElideMode(Qt::ElideMiddle);
    m_attachmentList->viewport()->installEventFilter(this);
    auto *bars = new TransferProgressDelegate(
        kBarColumn, kOutgoingProgressRole, TransferProgressDelegate::Style::Underlay, m_attachmentList);
    bars->SetBadgeRole(kOutgoingBadgeRole);
    m_attachmentList->setItemDelegate(bars);

    makeButton(Id::RemoveAttachments, QStringLiteral("取消"), QStringLiteral("取消选中的文件"),
        [this] { OnRemoveAttachments(); });
    makeButton(Id::ReceiveAll, QStringLiteral("全部接收"), QStringLiteral("接收此队列中的全部文件"),
        [this] { OnReceiveAll(); });
    makeButton(Id::RejectAll, QStringLiteral("全部拒收"), QStringLiteral("拒绝接收此队列中的全部文件"),
        [this] { OnRejectAll(true); });
    makeButton(Id::StopTransfer, QStringLiteral("中断传送"), QStringLiteral("中断当前正接收的文件"),
        [this] { OnStopTransfer(); });
    makeButton(
        Id::Receive, QStringLiteral("接收"), QStringLiteral("接收选择的文件(夹)"), [this] { OnReceiveSelected(); });
    makeButton(
        Id::Reject, QStringLiteral("取消"), QStringLiteral("取消选择的文件(夹)"), [this] { OnRejectSelected(); });
    makeButton(Id::ShowInFolder, QStringLiteral("目录"), QStringLiteral("打开选择的文件(夹)所在目录"),
        [this] { OnShowInFolder(); });
    makeButton(
        Id::OpenReceived, QStringLiteral("打开"), QStringLiteral("打开选择的文件(夹)"), [this] { OnOpenReceived(); });
    makeButton(Id::ClearReceived, QStringLiteral("关闭"),
        QStringLiteral("当要接收的文件列表为空时,关闭接收框并清空列表中已接收完的文件(不会删除此文件)\r\n"
                       "当要接收的文件列表不为空时,只清空列表中已接收完的文件(不会删除此文件)"),
        [this] { OnClearReceived(); });
    makeButton(Id::AddFiles, QStringLiteral("文件"), QStringLiteral("增加要传送的文件(支持文件拖放功能)"),
        [this] { OnAddFiles(); });
    makeButton(Id::AddFolder, QStringLiteral("目录"), QStringLiteral("增加要传送的文件夹(支持文件拖放功能)"),
        [this] { OnAddFolder(); });
    makeButton(Id::Monitor, QStringLiteral("监视"), QStringLiteral("监视发送文件传输状态"),
        [this] { emit monitorRequested(); });
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QString::number(Id::Progress));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setAlignment(Qt::AlignCenter);
    m_progress->setFont(SongFont(12));
    m_progress->setFormat(QString());
    m_controls.insert(Id::Progress, m_progress);
    for (int id : { Id::StopTransfer, Id::ReceiveAll, Id::RejectAll, Id::Receive, Id::Reject })
        enableControl(id, false);
    connectLists();
}

void CChatFilePanel::connectLists()
{
    connect(m_offeredList, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) { onOfferedClicked(item); });
    connect(m_offeredList, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        onOfferedClicked(item);
        const int row = m_selectedOffered;
        if (row >= 0 && model().offeredRows()[row].status == ReceiveRowStatus::NotReceived && !m_transfers.busy())
            OnReceiveSelected();
    });
    connect(m_offeredList, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        if (QTreeWidgetItem *item = m_offeredList->itemAt(at)) {
            onOfferedClicked(item);
            popup(CreateOfferedMenu());
        }
    });
    auto selectReceived = [this](QTreeWidgetItem *item) { SelectReceived(m_receivedList->indexOfTopLevelItem(item)); };
    connect(m_receivedList, &QTreeWidget::itemClicked, this, selectReceived);
    connect(m_receivedList, &QTreeWidget::itemDoubleClicked, this, [this, selectReceived](QTreeWidgetItem *item) {
        selectReceived(item);
        OnShowInFolder();
    });
    connect(m_receivedList, &QWidget::customContextMenuRequested, this, [this, selectReceived](const QPoint &at) {
        if (QTreeWidgetItem *item = m_receivedList->itemAt(at)) {
            selectReceived(item);
            popup(CreateReceivedMenu());
        }
    });
    connect(m_attachmentList, &QTreeWidget::itemChanged, this,
        [this](QTreeWidgetItem *item) { onAttachmentChanged(item); });
}

QWidget *CChatFilePanel::control(int id) const
{
    return m_controls.value(id);
}

void CChatFilePanel::enableControl(int id, bool on)
{
    if (QWidget *w = control(id))
        w->setEnabled(on);
}

// ---- lists --------------------------------------------------------------

QIcon CChatFilePanel::iconFor(const FileInfoRecord &row)
{
    if (row.status == ReceiveRowStatus::Receiving && row.isFile)
        return style()->standardIcon(QStyle::SP_ArrowDown);
    return FileTypeIcon(row.name, row.isFolder());
}

void CChatFilePanel::fillRows(QTreeWidget *list, const QList<FileInfoRecord> &rows, bool attachment)
{
    const bool filling = std::exchange(m_filling, true);
    list->clear();
    appendRows(list, rows, 0, attachment);
    m_filling = filling;
}

void CChatFilePanel::appendRows(QTreeWidget *list, const QList<FileInfoRecord> &rows, qsizetype from, bool attachment)
{
    const bool filling = std::exchange(m_filling, true);
    QList<QTreeWidgetItem *> items;
    items.reserve(qMax<qsizetype>(0, rows.size() - from));
    for (qsizetype i = from; i < rows.size(); ++i) {
        const FileInfoRecord &row = rows[i];
        auto *item = new QTreeWidgetItem(FileRowTexts(row, attachment));
        item->setIcon(0, iconFor(row));
        item->setToolTip(0, PlainText::ToolTip(row.fullPath.isEmpty() ? row.name : row.fullPath));
        if (attachment) {
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
        } else {
            const QColor color = ColorFromRef(FileRowTextColor(row));
            for (int column = 0; column < item->columnCount(); ++column)
                item->setForeground(column, color);
        }
        items.append(item);
    }
    list->addTopLevelItems(items);
    m_filling = filling;
}

void CChatFilePanel::FillOfferedList()
{
    const bool wasEmpty = m_offeredList->topLevelItemCount() == 0;
    if (wasEmpty && !model().offeredRows().isEmpty())
        setFileListsShown(true);
    fillRows(m_offeredList, model().offeredRows(), false);
    m_selectedOffered = -1;
    enableControl(Id::Receive, false);
    enableControl(Id::Reject, false);
}

void CChatFilePanel::AppendOfferedRows(int first)
{
    if (first == 0 && !model().offeredRows().isEmpty())
        setFileListsShown(true);
    appendRows(m_offeredList, model().offeredRows(), first, false);
}

void CChatFilePanel::FillReceivedList()
{
    fillRows(m_receivedList, model().receivedRows(), false);
    m_selectedReceived = -1;
}

void CChatFilePanel::FillAttachmentList()
{
    fillRows(m_attachmentList, model().attachmentRows(), true);
    // Below the attachments: what our messages offered, until the peer has it.
    m_filling = true;
    QList<QTreeWidgetItem *> items;
    for (const OutgoingRow &row : model().outgoingRows()) {
        auto *item = new QTreeWidgetItem;
        item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
        item->setIcon(0, FileTypeIcon(row.name, !row.isFile));
        items.append(item);
    }
    m_attachmentList->addTopLevelItems(items);
    for (int i = 0; i < items.size(); ++i)
        updateOutgoingRow(i);
    m_filling = false;
}

void CChatFilePanel::updateOutgoingRow(int row)
{
    const QList<OutgoingRow> &rows = model().outgoingRows();
    QTreeWidgetItem *item = m_attachmentList->topLevelItem(int(model().attachmentRows().size()) + row);
    if (!item || row < 0 || row >= rows.size())
        return;
    const OutgoingRow &r = rows[row];
    const bool filling = std::exchange(m_filling, true); // not a tick of the user's
    const QStringList texts = OutgoingRowTexts(r);
    for (int column = 0; column < texts.size(); ++column)
        item->setText(column, texts[column]);
    // A path is any text: shown as such, never taken for markup.
    item->setToolTip(0, Qt::convertFromPlainText(r.stateText + QLatin1Char('\n') + r.fullPath, Qt::WhiteSpaceNoWrap));
    item->setToolTip(kStateColumn, Qt::convertFromPlainText(r.stateText, Qt::WhiteSpaceNoWrap));
    item->setData(kBarColumn, kOutgoingProgressRole, r.percent);
    item->setData(kBarColumn, kOutgoingBadgeRole, OutgoingRowBadge(r));
    m_filling = filling;
}

void CChatFilePanel::onAttachmentChanged(QTreeWidgetItem *item)
{
    if (m_filling)
        return;
    m_transfers.SetAttachmentChecked(m_attachmentList->indexOfTopLevelItem(item), item->checkState(0) == Qt::Checked);
}

void CChatFilePanel::SelectOffered(int row)
{
    if (row < 0 || row >= m_offeredList->topLevelItemCount())
        return;
    onOfferedClicked(m_offeredList->topLevelItem(row));
}

void CChatFilePanel::SelectReceived(int row)
{
    m_selectedReceived = row >= 0 && row < model().receivedRows().size() ? row : -1;
    if (m_selectedReceived >= 0)
        m_receivedList->setCurrentItem(m_receivedList->topLevelItem(row));
}

void CChatFilePanel::onOfferedClicked(QTreeWidgetItem *item)
{
    emit userAction();
    m_selectedOffered = m_offeredList->indexOfTopLevelItem(item);
    if (m_selectedOffered >= model().offeredRows().size())
        m_selectedOffered = -1;
    if (m_selectedOffered >= 0)
        m_offeredList->setCurrentItem(item);
    const bool waiting
        = m_selectedOffered >= 0 && model().offeredRows()[m_selectedOffered].status == ReceiveRowStatus::NotReceived;
    enableControl(Id::Receive, waiting && !m_progressShown);
    enableControl(Id::Reject, waiting && !m_progressShown);
}

// ---- layout and painting ------------------------------------------------

void CChatFilePanel::LayoutSidePanel(const QSize &client, int sideWidth)
{
    m_client = client;
    m_sideWidth = sideWidth;
    applyLayout();
}

void CChatFilePanel::setFileListsShown(bool shown)
{
    if (m_fileListsShown == shown)
        return;
    m_fileListsShown = shown;
    applyLayout();
    emit fileListsShownChanged(shown);
}

bool CChatFilePanel::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::Resize && m_attachmentList && watched == m_attachmentList->viewport())
        fitAttachmentColumns();
    return QWidget::eventFilter(watched, e);
}

void CChatFilePanel::fitAttachmentColumns()
{
    QTreeWidget *list = m_attachmentList;
    const QFontMetrics fm(list->font());
    const QHeaderView *header = list->header();
    const int type = qMax(header->sectionSizeHint(1), fm.horizontalAdvance(QStringLiteral("目录")) + kCellPadding);
    const int size = qMax(header->sectionSizeHint(2), fm.horizontalAdvance(QStringLiteral("1023KB")) + kCellPadding);
    list->setColumnWidth(1, type);
    list->setColumnWidth(2, size);
    list->setColumnWidth(0, qMax(kMinNameWidth, list->viewport()->width() - type - size));
}

void CChatFilePanel::applyLayout()
{
    m_geometry = ComputeFilePanelLayout(m_client, m_sideWidth, m_fileListsShown);
    const QPoint origin = m_geometry.panel.topLeft();
    setGeometry(m_geometry.panel);
    for (auto it = m_controls.cbegin(); it != m_controls.cend(); ++it) {
        const int id = it.key();
        const QRect rect = m_geometry.rect(id);
        bool visible = !rect.isEmpty();
        if (std::find(std::begin(kReceiveControls), std::end(kReceiveControls), id) != std::end(kReceiveControls))
            visible = visible && m_fileListsShown;
        if (std::find(std::begin(kProgressReplaces), std::end(kProgressReplaces), id) != std::end(kProgressReplaces))
            visible = visible && !m_progressShown;
        if (id == Id::Progress)
            visible = visible && m_fileListsShown && m_progressShown;
        if (!rect.isEmpty())
            it.value()->setGeometry(rect.translated(-origin));
        it.value()->setVisible(visible);
    }
    // One line in the bar's width, whatever the rate and the sizes.
    m_progress->setFormat(
        FitProgressText(m_progressText, m_progress->fontMetrics(), m_geometry.rect(Id::Progress).width() - kProgressPadding));
    update();
}

void CChatFilePanel::paintEvent(QPaintEvent *)
{
    const CConfig *config = m_config;
    const QColor back1 = ColorFromRef(skin(config, &CConfig::ChatBkColor1, 0xFFE8E8));
    const QColor back2 = ColorFromRef(skin(config, &CConfig::ChatBkColor2, 0xFFD3D3));
    const QColor frame = ColorFromRef(skin(config, &CConfig::ChatMsgWndFrameClr, 0xE99494));
    const QColor text = ColorFromRef(skin(config, &CConfig::ChatFontColor, 0x933E1E));
    const QPoint origin = m_geometry.panel.topLeft();
    QPainter painter(this);
    painter.fillRect(rect(), back1);
    painter.setPen(frame);
    painter.setBrush(Qt::NoBrush);
    // The side panel's frame continues from the window's part above.
    painter.drawRoundedRect(QRect(2, -10, width() - 3, height() - 5 + 10 - 1), 2.5, 2.5);
    painter.setFont(font());
    for (const FilePanelCaption &caption : m_geometry.captions) {
        const QRect band = caption.band.translated(-origin);
        FillGradientRect(painter, band, back1, back2, int(GradientMode::Vertical));
        painter.setPen(frame);
        painter.drawLine(band.left() + 2, band.top(), band.right(), band.top());
        painter.drawLine(band.left() + 2, band.bottom() + 1, band.right(), band.bottom() + 1);
        painter.setPen(text);
        painter.drawText(
            band.adjusted(5, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, caption.title);
    }
}

bool CChatFilePanel::event(QEvent *e)
{
    if (e->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(e);
        if (m_geometry.sendHint.translated(-m_geometry.panel.topLeft()).contains(help->pos())) {
            QToolTip::showText(help->globalPos(), PlainText::ToolTip(
                QStringLiteral("如果您要发送文件，请点目录或文件按钮或把文件拖到下列表框中，再点击下面的 发送(S) "
                               "按钮发送文件！")),
                this);
            return true;
        }
    }
    return QWidget::event(e);
}

// ---- dropping files -----------------------------------------------------

bool CChatFilePanel::CanDrop(const QMimeData *mime)
{
    if (!mime || !mime->hasUrls())
        return false;
    const QList<QUrl> urls = mime->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl &url) { return url.isLocalFile(); });
}

void CChatFilePanel::dragEnterEvent(QDragEnterEvent *event)
{
    if (CanDrop(event->mimeData()))
        event->acceptProposedAction();
}

void CChatFilePanel::dragMoveEvent(QDragMoveEvent *event)
{
    if (CanDrop(event->mimeData()))
        event->acceptProposedAction();
}

void CChatFilePanel::dropEvent(QDropEvent *event)
{
    if (!CanDrop(event->mimeData()))
        return;
    AddDroppedUrls(event->mimeData()->urls());
    event->acceptProposedAction();
}

void CChatFilePanel::AddDroppedUrls(const QList<QUrl> &urls)
{
    QStringList paths;
    for (const QUrl &url : urls) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    AddAttachments(paths);
}
