#include "chat/ChatFontDialog.h"

#include "chat/ChatFontQt.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The chat font keeps Windows pixel heights; the dialog works in points.
constexpr double kPointsPerPixel = 72.0 / 96.0;

void paintSwatch(QPushButton *button, const QColor &color)
{
    QPixmap swatch(28, 14);
    swatch.fill(color);
    button->setIcon(QIcon(swatch));
}

} // namespace

QFont FontDialogStart(const ChatFont &font)
{
    const QFont drawn = ChatQFont(font);
    QFont start(InstalledFamilyFor(font.faceName));
    // The dialog takes whole points (as the Windows dialog shows them).
    start.setPointSize(std::max(1, qRound(drawn.pixelSize() * kPointsPerPixel)));
    start.setWeight(QFont::Weight(std::clamp(font.weight == 0 ? int(QFont::Normal) : font.weight, 100, 900)));
    start.setItalic(drawn.italic());
    start.setUnderline(drawn.underline());
    start.setStrikeOut(drawn.strikeOut());
    return start;
}

ChatFontDialog::ChatFontDialog(QWidget *parent, const ChatFont &start)
    : QDialog(parent)
    , m_start(start)
    , m_fonts(new QFontDialog(this))
    , m_colorButton(new QPushButton(QStringLiteral("颜色(&C)..."), this))
    , m_color(ChatColor(start.color))
{
    setWindowTitle(QStringLiteral("字体"));
    m_fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    m_fonts->setWindowFlags(Qt::Widget);
    m_fonts->setCurrentFont(FontDialogStart(start));
    paintSwatch(m_colorButton, m_color);
    connect(m_colorButton, &QPushButton::clicked, this, [this] {
        const QColor chosen = QColorDialog::getColor(m_color, this, QStringLiteral("颜色"));
        if (chosen.isValid()) {
            m_color = chosen;
            paintSwatch(m_colorButton, m_color);
        }
    });
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *row = new QHBoxLayout;
    row->addWidget(m_colorButton);
    row->addStretch();
    row->addWidget(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_fonts);
    layout->addLayout(row);
}

ChatFont ChatFontDialog::chosenFont() const
{
    QFont chosen = m_fonts->currentFont();
    if (chosen.pixelSize() <= 0) {
        // The size the dialog opened at keeps the exact pixel height it
        // stood for (14 pixels show as 11 points, which are 15 pixels).
        const int points = qRound(chosen.pointSizeF());
        chosen.setPixelSize(points == FontDialogStart(m_start).pointSize() ? ChatQFont(m_start).pixelSize()
                                                                          : std::max(1, qRound(points / kPointsPerPixel)));
    }
    return ChatFontFromQt(chosen, m_color, m_start);
}

std::optional<ChatFont> ChooseChatFont(QWidget *parent, const ChatFont &start)
{
    ChatFontDialog dialog(parent, start);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosenFont();
}
