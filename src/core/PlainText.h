// Text that came from a peer or a file, made safe for the places where Qt
// would read it as markup (tooltips, labels, documents), and the resource
// answer that keeps the program's text views from reading files or
// addresses that markup names.
#pragma once

#include <QString>
#include <QUrl>
#include <QVariant>

namespace PlainText {

// HTML that shows the text exactly: markup characters escaped, runs of
// blanks kept, line breaks as "<br>".
QString Html(const QString &text);
// A tooltip that shows the text exactly, line breaks kept; empty text stays
// empty (no tooltip).
QString ToolTip(const QString &text);
// The same in the program's blue tooltip colour.
QString BlueToolTip(const QString &text);

// What a text view's loadResource answers for a name its document does not
// hold itself: the program's own art (":/..." or "qrc:") read through
// QImage, any other name an empty picture. Never null: on a null answer Qt
// reads the name as a file path itself (a device such as /dev/zero
// included), which is what this keeps from happening.
QVariant GuardedResource(const QUrl &name);

} // namespace PlainText
