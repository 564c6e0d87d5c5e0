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
        // One line: a line or paragraph separator is a space here, as the
        // field shows it.
        Gbk::Kept kept = Gbk::keepCarried(text, u" ");
        if (maxBytes >= 0 && Gbk::byteLength(kept.text) > maxBytes)
            kept.text = Gbk::truncate(kept.text, maxBytes);
        if (kept.text == text)
            return;
        // The caret stays after what was typed, less what was taken out before it.
        const int cursor = edit->cursorPosition();
        const int removedBefore = int(cursor - Gbk::keepCarried(text.first(cursor), u" ").text.size());
        edit->setText(kept.text);
        edit->setCursorPosition(std::min(cursor - removedBefore, int(kept.text.size())));
        if (!kept.refused.isEmpty())
            ShowUncarriedNote(edit, edit->mapToGlobal(edit->rect().bottomLeft()), kept.refused);
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
