// A line edit that takes no more GBK bytes than the field it fills keeps:
// text typed or pasted past the limit is cut at a character boundary, so
// what the user sees is what is stored. Characters GBK cannot carry (emoji
// and the like) are refused as they are typed or pasted, with a short note
// at the field: peers and GBK files would get '?' in their place. A space
// GBK has no code for (a pasted no-break space) becomes a plain space, and
// a line or paragraph separator a space too, as the one-line field shows it.
#pragma once

#include <QPoint>
#include <QString>
#include <QtGlobal>

class QLineEdit;
class QWidget;

void LimitGbkBytes(QLineEdit *edit, qsizetype maxBytes);
// Only the refusal of characters GBK cannot carry, for a field limited otherwise.
void RefuseUncarried(QLineEdit *edit);

// The note that names the characters refused.
QString UncarriedNote(const QString &characters);
// Shows it as a tool tip at `at` (global) over the widget: no box waits for the user.
void ShowUncarriedNote(QWidget *widget, const QPoint &at, const QString &characters);
