#include "chat/faces/CFaceManagerDlg.h"

#include "chat/faces/CEditFaceDlg.h"
#include "chat/faces/CFaceProgressDlg.h"
#include "chat/faces/CImportQQFacesDlg.h"
#include "controls/CGifStatic.h"
#include "core/BmpFile.h"
#include "core/PictureId.h"
#include "core/Prompter.h"
#include "core/SaveFileChoice.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kPackageFilter = Prompter::filterFromWindows(u"Kwel Custom Faces(*.kcf)|*.kcf||");

void tell(QObject *owner, const QString &text, const QString &caption = QStringLiteral("提示"))
{
    Prompter::current().messageBox(owner, text, caption, Prompter::Buttons::Ok, Prompter::Icon::Information);
}

} // namespace

CFaceManagerDlg::CFaceManagerDlg(const FaceStore &store, QWidget *parent)
    : QDialog(parent)
    , m_store(store)
{
    setObjectName(QStringLiteral("290"));
    setWindowTitle(QStringLiteral("表情管理"));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("1081"));
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setHeaderLabels({ QStringLiteral("序号"), QStringLiteral("表情头像"), QStringLiteral("提示") });
    m_list->setColumnWidth(0, 60);
    m_list->setColumnWidth(1, 80);
    m_list->setColumnWidth(2, 80);
    m_list->setIconSize(QSize(FaceStore::kThumbnailSide, FaceStore::kThumbnailSide));
    m_list->setAllColumnsShowFocus(true);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { OnEdit(); });
    connect(m_list, &QTreeWidget::itemClicked, this, [this] { OnListClick(); });

    m_preview = new CGifStatic(this);
    m_preview->setObjectName(QStringLiteral("1167"));
    m_preview->setFixedSize(100, 100);
    m_preview->SetFixedSize(100, 100);

    auto *grid = new QGridLayout;
    const struct
    {
        const char *id;
        QString text;
        void (CFaceManagerDlg::*handler)();
    } kButtons[] = {
        { "1001", QStringLiteral("修改"), &CFaceManagerDlg::OnEdit },
        { "1002", QStringLiteral("删除"), &CFaceManagerDlg::OnDelete },
        { "1003", QStringLiteral("上移"), &CFaceManagerDlg::OnMoveUp },
        { "1004", QStringLiteral("下移"), &CFaceManagerDlg::OnMoveDown },
        { "1007", QStringLiteral("导出表情库"), &CFaceManagerDlg::OnExport },
        { "1008", QStringLiteral("导入表情库"), &CFaceManagerDlg::OnImport },
        { "1009", QStringLiteral("导入QQ中的表情库"), &CFaceManagerDlg::OnImportQQFaces },
    };
    int row = 0;
    for (const auto &b : kButtons) {
        auto *button = new QPushButton(b.text, this);
        button->setObjectName(QLatin1String(b.id));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, b.handler);
        grid->addWidget(button, row++, 0);
    }
    grid->addWidget(m_preview, row++, 0, Qt::AlignHCenter);
    grid->setRowStretch(row, 1);

    auto *hint = new QLabel(QStringLiteral("导出表情库时,可按ctrl或shift选择要导出的多个表情，如果没有选择任何表情的话，则全部导出．"), this);
    hint->setWordWrap(true);
    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("1005"));
    connect(ok, &QPushButton::clicked, this, [this] { ApplyChanges(true); });
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("1006"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(hint, 1);
    bottom->addWidget(ok);
    bottom->addWidget(cancel);

    auto *top = new QHBoxLayout;
    top->addWidget(m_list, 1);
    top->addLayout(grid);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);
    resize(420, 360);
    LoadFaceList();
}

void CFaceManagerDlg::LoadFaceList()
{
    m_model.Load(m_store);
    RefreshList();
}

void CFaceManagerDlg::RefreshList()
{
    m_list->clear();
    for (int row = 0; row < m_model.rowCount(); ++row) {
        const FaceRecord &r = m_model.row(row);
        auto *item = new QTreeWidgetItem({ QString::number(row + 1), PictureIdText(r.id), r.name });
        // A thumbnail that cannot be read is made again from the picture.
        const FaceEntry face { r.id, r.shortcut, r.name, r.org, r.fixed };
        const QString thumbnail = m_store.thumbnailFile(face);
        QImage image = LoadBitmapFile(thumbnail);
        if (image.isNull() && QFileInfo::exists(m_store.pictureFile(face))) {
            m_store.MakeThumbnail(m_store.pictureFile(face));
            image = LoadBitmapFile(thumbnail);
        }
        if (!image.isNull())
            item->setIcon(0, QIcon(QPixmap::fromImage(image)));
        m_list->addTopLevelItem(item);
    }
}

QList<int> CFaceManagerDlg::selectedRows() const
{
    QList<int> rows;
    for (QTreeWidgetItem *item : m_list->selectedItems())
        rows.append(m_list->indexOfTopLevelItem(item));
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CFaceManagerDlg::selectRow(int row)
{
    if (QTreeWidgetItem *item = m_list->topLevelItem(row)) {
        m_list->clearSelection();
        m_list->setCurrentItem(item);
        item->setSelected(true);
        m_list->scrollToItem(item);
    }
}

void CFaceManagerDlg::OnListClick()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty() || rows.first() >= m_model.rowCount())
        return;
    const FaceRecord &r = m_model.row(rows.first());
    if (m_preview->LoadFromFile(m_store.pictureFile(FaceEntry { r.id, r.shortcut, r.name, r.org, r.fixed })))
        m_preview->Draw();
}

void CFaceManagerDlg::OnEdit()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty() || rows.first() >= m_model.rowCount())
        return;
    const int row = rows.first();
    const FaceRecord &r = m_model.row(row);
    CEditFaceDlg edit(this);
    edit.SetPicturePath(m_store.pictureFile(FaceEntry { r.id, r.shortcut, r.name, r.org, r.fixed }));
    edit.SetName(r.name);
    if (edit.exec() != QDialog::Accepted)
        return;
    m_model.Rename(row, edit.name());
    RefreshList();
    selectRow(row);
}

void CFaceManagerDlg::OnDelete()
{
    m_model.Delete(selectedRows());
    RefreshList();
}

void CFaceManagerDlg::OnMoveUp()
{
    const QList<int> rows = selectedRows();
    const int moved = rows.isEmpty() ? -1 : m_model.MoveUp(rows.first());
    if (moved < 0)
        return;
    RefreshList();
    selectRow(moved);
}

void CFaceManagerDlg::OnMoveDown()
{
    const QList<int> rows = selectedRows();
    const int moved = rows.isEmpty() ? -1 : m_model.MoveDown(rows.first());
    if (moved < 0)
        return;
    RefreshList();
    selectRow(moved);
}

bool CFaceManagerDlg::ApplyChanges(bool close)
{
    if (m_model.HasChanges() && !m_model.Apply(m_store)) {
        Prompter::current().messageBox(this,
            QStringLiteral("保存失败!表情索引文件不能写入:\n%1").arg(QDir::toNativeSeparators(m_store.index().path())),
            windowTitle(), Prompter::Buttons::Ok, Prompter::Icon::Warning);
        return false;
    }
    if (close)
        accept();
    return true;
}

void CFaceManagerDlg::OnExport()
{
    if (m_model.rowCount() == 0)
        return;
    const QString target
        = ChooseSaveFile(this, QStringLiteral("导出表情库"), QString(), kPackageFilter, { QStringLiteral("kcf"), {} });
    if (target.isEmpty())
        return;
    const QList<FaceEntry> faces = m_model.ExportFaces(selectedRows());
    const FaceStore::ExportResult result = m_store.ExportPackage(target, faces);
    if (result.writeFailed)
        tell(this, QStringLiteral("导出失败!"));
    else if (result.failed == 0)
        tell(this, QStringLiteral("成功导出 %1 个表情!").arg(result.exported));
    else
        tell(this, QStringLiteral("成功导出 %1 个表情, %2 个表情导出失败!").arg(result.exported).arg(result.failed));
}

void CFaceManagerDlg::OnImport()
{
    const QString path = Prompter::current().openFile(this, QStringLiteral("导入表情库"), QString(), kPackageFilter);
    if (path.isEmpty())
        return;
    // The pending edits go first, so the list the import reloads holds them.
    if (!ApplyChanges(false))
        return;
    CFaceProgressDlg progress(QStringLiteral("导入"), this);
    progress.Create();
    const FaceStore::ImportResult result = m_store.ImportPackage(path, &progress);
    progress.Destroy();
    using Outcome = FaceStore::ImportResult::Outcome;
    if (result.outcome == Outcome::Unreadable) {
        tell(this, QStringLiteral("导入失败, 文件格式不正确!"));
        return;
    }
    if (result.outcome == Outcome::BadVersion)
        tell(this, QStringLiteral("导入失败, 版本不兼容!"));
    else if (result.outcome == Outcome::Truncated)
        tell(this, QStringLiteral("导入失败, 文件格式不正确!"));
    LoadFaceList();
    tell(this, QStringLiteral("成功导入!成功导入 %1 个表情").arg(result.imported));
}

void CFaceManagerDlg::OnImportQQFaces()
{
    CImportQQFacesDlg ask(this);
    if (ask.exec() != QDialog::Accepted)
        return;
    const QStringList files = FaceStore::FolderFaceFiles(ask.path());
    if (files.isEmpty()) {
        tell(this, QStringLiteral("导入失败,末发现QQ表情库文件"));
        return;
    }
    if (!ApplyChanges(false))
        return;
    CFaceProgressDlg progress(QStringLiteral("导入"), this);
    progress.Create();
    const FaceStore::BatchResult result
        = m_store.AddFiles(files, &progress, this, QStringLiteral("导入至自定义表情文件 "));
    progress.Destroy();
    if (result.failed == 0)
        tell(this, QStringLiteral("成功导入了 %1 个表情至表情库.").arg(result.added), QStringLiteral("导入成功"));
    else
        tell(this, QStringLiteral("成功导入了 %1 个表情至表情库. %2 个导入失败!").arg(result.added).arg(result.failed),
            QStringLiteral("部分导入成功"));
    LoadFaceList();
}
