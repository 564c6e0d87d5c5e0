#include "chat/shares/CShareBrowseDlg.h"

#include "chat/shares/ShareListWidget.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

CShareBrowseDlg::CShareBrowseDlg(
    const QString &caption, const QString &listText, const QByteArray &password, QWidget *parent)
    : QDialog(parent)
    , m_password(password)
{
    setObjectName(QStringLiteral("272"));
    setWindowTitle(caption.isEmpty() ? QStringLiteral("文件共享") : caption);
    for (const ShareList::SharedEntry &entry : ShareList::ParseReceived(listText))
        m_records.push_back(ShareRecord::FromEntry(entry));
    auto *layout = new QVBoxLayout(this);
    m_list = new ShareListWidget(ShareRows::BrowseColumns(), this);
    m_list->Fill(m_records, ShareRows::BrowseTexts);
    layout->addWidget(m_list);
    auto *row = new QHBoxLayout;
    AddCheckButtons(row, m_list);
    row->addStretch();
    connect(AddShareButton(row, 1006, QStringLiteral("下载")), &QPushButton::clicked, this, &CShareBrowseDlg::accept);
    connect(AddShareButton(row, 1005, QStringLiteral("取消")), &QPushButton::clicked, this, &CShareBrowseDlg::reject);
    layout->addLayout(row);
    resize(560, 380);
}

void CShareBrowseDlg::accept()
{
    const std::vector<ShareRecord> chosen = m_list->ChosenForDownload(m_records);
    if (chosen.empty())
        return;
    m_request = ShareRows::Request(m_password, chosen);
    QDialog::accept();
}
