#include "chat/ChatFontDialog.h"

#include "chat/ChatFontQt.h"

#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

void paintSwatch(QPushButton *button, const QColor &color)
{
    QPixmap swatch(28, 14);
    swatch.fill(color);
    button->setIcon(QIcon(swatch));
}

} // namespace

std::optional<ChatFont> ChooseChatFont(QWidget *parent, const ChatFont &start)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("字体"));
    auto *fonts = new QFontDialog(ChatQFont(start), &dialog);
    fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    fonts->setWindowFlags(Qt::Widget);
    QColor color = ChatColor(start.color);
    auto *colorButton = new QPushButton(QStringLiteral("颜色(&C)..."), &dialog);
    paintSwatch(colorButton, color);
    QObject::connect(colorButton, &QPushButton::clicked, &dialog, [&] {
        const QColor chosen = QColorDialog::getColor(color, &dialog, QStringLiteral("颜色"));
        if (chosen.isValid()) {
            color = chosen;
            paintSwatch(colorButton, color);
        }
    });
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto *row = new QHBoxLayout;
    row->addWidget(colorButton);
    row->addStretch();
    row->addWidget(buttons);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(fonts);
    layout->addLayout(row);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    QFont chosen = fonts->currentFont();
    // The dialog works in points; the chat font keeps pixels.
    if (chosen.pixelSize() <= 0)
        chosen.setPixelSize(qRound(chosen.pointSizeF() * 96.0 / 72.0));
    return ChatFontFromQt(chosen, color, start);
}
