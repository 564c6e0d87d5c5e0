#include "controls/GbkByteLimit.h"

#include "core/Gbk.h"

#include <QLineEdit>
#include <algorithm>

void LimitGbkBytes(QLineEdit *edit, qsizetype maxBytes)
{
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, maxBytes](const QString &text) {
        if (Gbk::byteLength(text) <= maxBytes)
            return;
        const int cursor = edit->cursorPosition();
        edit->setText(Gbk::truncate(text, maxBytes));
        edit->setCursorPosition(std::min(cursor, int(edit->text().size())));
    });
}
