#include "chat/shares/CAllSharedFilesDlg.h"

#include "chat/shares/ShareListWidget.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

CAllSharedFilesDlg::CAllSharedFilesDlg(const QString &title, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("274"));
    setWindowTitle(title.isEmpty() ? QStringLiteral("所有共享文件") : title);
    auto *layout = new QVBoxLayout(this);
    m_list = new ShareListWidget(ShareRows::AllFilesColumns(), this);
    layout->addWidget(m_list);
    auto *row = new QHBoxLayout;
    AddCheckButtons(row, m_list);
    row->addStretch();
    connect(AddShareButton(row, 1006, QStringLiteral("下载")), &QPushButton::clicked, this,
        &CAllSharedFilesDlg::OnDownload);
    connect(AddShareButton(row, 1005, QStringLiteral("取消")), &QPushButton::clicked, this, &QDialog::close);
    layout->addLayout(row);
    resize(700, 400);
}

void CAllSharedFilesDlg::ApplyShareList(const QString &listText, const QString &peerText, quint32 address)
{
    // What was checked stays checked when the list is filled again.
    const QList<int> checked = m_list->CheckedRows();
    for (const ShareList::SharedEntry &entry : ShareList::ParseReceived(listText)) {
        ShareRecord r = ShareRecord::FromEntry(entry);
        r.peer = peerText.left(kPeerTextChars);
        r.address = address;
        m_records.push_back(std::move(r));
    }
    m_list->Fill(m_records, ShareRows::AllFilesTexts);
    for (int row : checked)
        m_list->SetChecked(row, true);
}

void CAllSharedFilesDlg::OnDownload()
{
    const std::vector<ShareRecord> chosen = m_list->ChosenForDownload(m_records);
    if (chosen.empty())
        return;
    for (const auto &[address, records] : ShareRows::GroupByPeer(chosen)) {
        const QByteArray request = ShareRows::Request({}, records);
        if (!request.isEmpty())
            emit downloadRequested(address, request);
    }
    close();
}
