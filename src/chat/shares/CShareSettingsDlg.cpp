#include "chat/shares/CShareSettingsDlg.h"

#include "chat/shares/CSharePasswordDlg.h"
#include "chat/shares/ShareListWidget.h"
#include "core/CConfig.h"
#include "core/Prompter.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>

CShareSettingsDlg::CShareSettingsDlg(CConfig *config, QWidget *parent)
    : QDialog(parent)
    , m_config(config)
{
    setObjectName(QStringLiteral("270"));
    setWindowTitle(QStringLiteral("文件共享设置(支持文件拖放)"));
    setAcceptDrops(true);
    auto *layout = new QVBoxLayout(this);
    m_list = new ShareListWidget(ShareRows::SettingsColumns(), this);
    layout->addWidget(m_list);
    auto *row = new QHBoxLayout;
    connect(AddShareButton(row, 1145, QStringLiteral("增加目录")), &QPushButton::clicked, this,
        &CShareSettingsDlg::OnAddFolder);
    connect(AddShareButton(row, 1146, QStringLiteral("增加文件")), &QPushButton::clicked, this,
        &CShareSettingsDlg::OnAddFiles);
    connect(
        AddShareButton(row, 1147, QStringLiteral("删除")), &QPushButton::clicked, this, &CShareSettingsDlg::OnDelete);
    connect(AddShareButton(row, 1148, QStringLiteral("设置密码")), &QPushButton::clicked, this,
        &CShareSettingsDlg::OnPassword);
    AddCheckButtons(row, m_list);
    row->addStretch();
    connect(AddShareButton(row, 1006, QStringLiteral("确定")), &QPushButton::clicked, this, &CShareSettingsDlg::accept);
    connect(AddShareButton(row, 1005, QStringLiteral("取消")), &QPushButton::clicked, this, &CShareSettingsDlg::reject);
    layout->addLayout(row);
    resize(700, 420);
    if (m_config)
        m_model.Load(*m_config);
    refill();
}

void CShareSettingsDlg::refill()
{
    m_list->Fill(m_model.records(), ShareRows::SettingsTexts);
}

int CShareSettingsDlg::AddPaths(const QStringList &paths)
{
    if (!m_config)
        return 0;
    int added = 0;
    for (const QString &path : paths) {
        switch (m_model.Add(path, *m_config)) {
        case ShareSettingsModel::AddResult::Added:
            ++added;
            break;
        case ShareSettingsModel::AddResult::Unstorable:
            Prompter::current().messageBox(this, ShareSettingsModel::UnstorableText(path), QStringLiteral("提示"),
                Prompter::Buttons::Ok, Prompter::Icon::Warning);
            break;
        default:
            break;
        }
    }
    refill();
    return added;
}

void CShareSettingsDlg::OnAddFolder()
{
    const QString folder = Prompter::current().chooseFolder(this, QStringLiteral("增加文件夹:"), QString());
    if (!folder.isEmpty())
        AddPaths({ folder });
}

void CShareSettingsDlg::OnAddFiles()
{
    const QStringList files = Prompter::current().openFiles(
        this, QString(), QString(), Prompter::filterFromWindows(u"All Files (*.*)|*.*||"));
    if (!files.isEmpty())
        AddPaths(files);
}

void CShareSettingsDlg::OnDelete()
{
    const QList<int> rows = m_list->CheckedRows();
    if (rows.isEmpty()) {
        Prompter::current().messageBox(this, QStringLiteral("您还没有选择要从列表中删除的文件(夹)"), windowTitle());
        return;
    }
    const QString question = QStringLiteral("您是否真有要从列表中删除选择的这 %1 个文件(夹)?").arg(rows.size());
    if (Prompter::current().messageBox(
            this, question, windowTitle(), Prompter::Buttons::YesNo, Prompter::Icon::Question)
        != Prompter::Button::Yes)
        return;
    m_model.Remove(rows);
    refill();
}

void CShareSettingsDlg::OnPassword()
{
    if (m_password) {
        m_password->raise();
        return;
    }
    // Window-modal without a loop of its own.
    m_password = new CSharePasswordDlg(m_config, this);
    m_password->setAttribute(Qt::WA_DeleteOnClose);
    m_password->open();
}

void CShareSettingsDlg::accept()
{
    if (!m_config) {
        Prompter::current().messageBox(this, QStringLiteral("设置失败！"), windowTitle());
        QDialog::accept();
        return;
    }
    // A list the settings file did not take would be lost at the next start,
    // while peers were offered it now: it stays as stored, and the dialog
    // stays open for another try or "取消".
    const QString stored = m_config->FileShareInfo;
    m_config->FileShareInfo = m_model.StoredText();
    if (!m_config->Save(CFG_GENERAL)) {
        m_config->FileShareInfo = stored;
        Prompter::current().messageBox(this,
            m_config->UnwritableText(QStringLiteral("设置失败！")),
            windowTitle(), Prompter::Buttons::Ok, Prompter::Icon::Warning);
        return;
    }
    Prompter::current().messageBox(this, QStringLiteral("设置成功！"), windowTitle());
    QDialog::accept();
}

void CShareSettingsDlg::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CShareSettingsDlg::dropEvent(QDropEvent *event)
{
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    event->acceptProposedAction();
    AddPaths(paths);
}
