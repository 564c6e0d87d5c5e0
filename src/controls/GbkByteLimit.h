// A line edit that takes no more GBK bytes than the field it fills keeps:
// text typed or pasted past the limit is cut at a character boundary, so
// what the user sees is what is stored.
#pragma once

#include <QtGlobal>

class QLineEdit;

void LimitGbkBytes(QLineEdit *edit, qsizetype maxBytes);
