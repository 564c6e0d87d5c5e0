// Driver commands that look at how peer text is shown (see TestDriver.h):
//   modaltext                        the open modal message box as
//                                    "MODALTEXT plain|rich|auto <its text>"
#include "app/TestDriver.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QString formatWord(Qt::TextFormat format)
{
    switch (format) {
    case Qt::PlainText:
        return QStringLiteral("plain");
    case Qt::RichText:
        return QStringLiteral("rich");
    default:
        return QStringLiteral("auto");
    }
}

} // namespace

std::optional<bool> TestDriver::runRichTextCommand(const QString &verb)
{
    if (verb == QLatin1String("modaltext")) {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return false;
        emit commandDone(QStringLiteral("MODALTEXT ") + formatWord(box->textFormat()) + QLatin1Char(' ') + box->text());
        return true;
    }
    return std::nullopt;
}
