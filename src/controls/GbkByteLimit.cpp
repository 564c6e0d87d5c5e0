#include "controls/GbkByteLimit.h"

#include "core/Gbk.h"
#include "core/PlainText.h"

#include <QLineEdit>
#include <QToolTip>
#include <algorithm>

namespace {

// maxBytes < 0: no byte limit.
void keepGbkText(QLineEdit *edit, qsizetype maxBytes)
{
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, maxBytes](const QString &text) {
        const QString refused = Gbk::uncarried(text);
        QString kept = refused.isEmpty() ? text : Gbk::withoutUncarried(text);
        if (maxBytes >= 0 && Gbk::byteLength(kept) > maxBytes)
            kept = Gbk::truncate(kept, maxBytes);
        if (kept.size() == text.size())
            return;
        // The caret stays after what was typed, less what was taken out before it.
        const int cursor = edit->cursorPosition();
        const int removedBefore = int(text.first(cursor).size() - Gbk::withoutUncarried(text.first(cursor)).size());
        edit->setText(kept);
        edit->setCursorPosition(std::min(cursor - removedBefore, int(kept.size())));
        if (!refused.isEmpty())
            ShowUncarriedNote(edit, edit->mapToGlobal(edit->rect().bottomLeft()), refused);
    });
}

} // namespace

void LimitGbkBytes(QLineEdit *edit, qsizetype maxBytes)
{
    keepGbkText(edit, std::max<qsizetype>(maxBytes, 0));
}

void RefuseUncarried(QLineEdit *edit)
{
    keepGbkText(edit, -1);
}

QString UncarriedNote(const QString &characters)
{
    return QStringLiteral("无法发送或保存的字符已去掉:%1").arg(characters);
}

void ShowUncarriedNote(QWidget *widget, const QPoint &at, const QString &characters)
{
    QToolTip::showText(at, PlainText::ToolTip(UncarriedNote(characters)), widget);
}
