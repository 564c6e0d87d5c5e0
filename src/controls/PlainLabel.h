// A label that shows its text as written: names of peers and files never
// turn into markup there.
#pragma once

#include <QString>

class QLabel;
class QWidget;

QLabel *PlainLabel(const QString &text, QWidget *parent);
