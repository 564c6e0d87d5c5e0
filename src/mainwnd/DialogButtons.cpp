#include "mainwnd/DialogButtons.h"

#include <QBoxLayout>
#include <QDialog>
#include <QPushButton>

DialogButtons AddOkCancel(QDialog *dialog, QBoxLayout *layout)
{
    DialogButtons b;
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    b.ok = new QPushButton(QStringLiteral("确定"), dialog);
    b.ok->setObjectName(QStringLiteral("1"));
    b.ok->setDefault(true);
    b.cancel = new QPushButton(QStringLiteral("取消"), dialog);
    b.cancel->setObjectName(QStringLiteral("2"));
    row->addWidget(b.ok);
    row->addWidget(b.cancel);
    layout->addLayout(row);
    QObject::connect(b.ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(b.cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return b;
}
