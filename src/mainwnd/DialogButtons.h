// The "确定" (object name "1") and "取消" ("2") buttons of a modal dialog,
// right-aligned in a row appended to the layout: OK accepts, Cancel rejects.
#pragma once

class QBoxLayout;
class QDialog;
class QPushButton;

struct DialogButtons
{
    QPushButton *ok = nullptr;
    QPushButton *cancel = nullptr;
};

DialogButtons AddOkCancel(QDialog *dialog, QBoxLayout *layout);
