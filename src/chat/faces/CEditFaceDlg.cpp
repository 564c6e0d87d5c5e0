#include "chat/faces/CEditFaceDlg.h"

#include "chat/facestore/FaceIndex.h"
#include "controls/CGifStatic.h"
#include "controls/GbkByteLimit.h"
#include "core/Gbk.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CEditFaceDlg::CEditFaceDlg(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("291"));
    setWindowTitle(QStringLiteral("修改自定义表情"));
    m_path = new QLineEdit(this);
    m_path->setObjectName(QStringLiteral("1078"));
    m_path->setReadOnly(true);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("1079"));
    // 63 GBK bytes: the name is cut as it is typed.
    LimitGbkBytes(m_name, FaceIndex::kTextBytes);
    m_preview = new CGifStatic(this);
    m_preview->setObjectName(QStringLiteral("1167"));
    m_preview->SetFixedSize(96, 96);
    m_preview->setFixedSize(96, 96);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("表情图片路径:"), m_path);
    form->addRow(QStringLiteral("表情名称:"), m_name);
    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("2"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *top = new QHBoxLayout;
    top->addWidget(m_preview);
    top->addLayout(form, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    resize(420, 150);
}

void CEditFaceDlg::SetCaption(const QString &caption)
{
    if (!caption.isEmpty())
        setWindowTitle(caption);
}

void CEditFaceDlg::SetPicturePath(const QString &path)
{
    m_path->setText(path);
}

void CEditFaceDlg::SetName(const QString &name)
{
    m_name->setText(Gbk::truncate(name, FaceIndex::kTextBytes));
}

QString CEditFaceDlg::name() const
{
    return m_name->text();
}

QString CEditFaceDlg::picturePath() const
{
    return m_path->text();
}

void CEditFaceDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The picture of the path, animated when it is a GIF.
    if (m_preview->LoadFromFile(m_path->text()))
        m_preview->Draw();
}
