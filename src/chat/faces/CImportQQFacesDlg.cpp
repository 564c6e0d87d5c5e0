#include "chat/faces/CImportQQFacesDlg.h"
#include "controls/PlainLabel.h"

#include "core/Prompter.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CImportQQFacesDlg::CImportQQFacesDlg(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("385"));
    setWindowTitle(QStringLiteral("QQ表情库文件所在路径"));
    m_path = new QLineEdit(QDir::homePath() + QStringLiteral("/.wine/drive_c/Program Files/Tencent/QQ"), this);
    m_path->setObjectName(QStringLiteral("1078"));
    m_path->setMaxLength(258);
    auto *browse = new QPushButton(QStringLiteral("选择路径"), this);
    browse->setObjectName(QStringLiteral("1001"));
    connect(browse, &QPushButton::clicked, this, &CImportQQFacesDlg::OnBrowse);
    // "自动搜索" has no behaviour: there is no install to search for here.
    auto *search = new QPushButton(QStringLiteral("自动搜索"), this);
    search->setObjectName(QStringLiteral("1002"));
    search->setEnabled(false);
    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CImportQQFacesDlg::OnOK);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("2"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *note = PlainLabel(QStringLiteral("说明:如果QQ安装在C:\\Program Files\\Tencent\\QQ,您的QQ号码假设是1000,"
                                           "则QQ表情库所在路径为:C:\\Program Files\\Tencent\\QQ\\1000\\CustomFace"),
        this);
    note->setWordWrap(true);

    auto *row = new QHBoxLayout;
    row->addWidget(m_path, 1);
    row->addWidget(browse);
    row->addWidget(search);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("QQ表情库文件所在路径:"), this));
    layout->addLayout(row);
    layout->addWidget(note);
    layout->addLayout(buttons);
    resize(460, 160);
}

QString CImportQQFacesDlg::path() const
{
    return m_path->text();
}

void CImportQQFacesDlg::SetPath(const QString &path)
{
    m_path->setText(path);
}

void CImportQQFacesDlg::OnBrowse()
{
    const QString chosen = Prompter::current().chooseFolder(this, QStringLiteral("QQ表情文件夹所在目录:"), path());
    if (!chosen.isEmpty() && QFileInfo(chosen).isDir())
        m_path->setText(chosen);
}

void CImportQQFacesDlg::OnOK()
{
    if (!QFileInfo(path()).isDir()) {
        Prompter::current().messageBox(this, QStringLiteral("路径:") + path() + QStringLiteral(" 无效或不存在,请重新输入"),
            QStringLiteral("提示"));
        return;
    }
    accept();
}
