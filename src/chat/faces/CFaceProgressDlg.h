// The modeless progress window of the long face operations (dialog 109):
// it disables its owner's window while it runs, pumps the event loop at
// every step and has a cancel button that only sets a flag.
#pragma once

#include "chat/facestore/FaceProgress.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QProgressBar;

class CFaceProgressDlg : public QDialog, public FaceProgress
{
    Q_OBJECT
public:
    // verb: "增加" or "导入".
    explicit CFaceProgressDlg(const QString &verb, QWidget *owner);
    ~CFaceProgressDlg() override;

    // Disables the owner's top-level window (when it was enabled) and shows.
    void Create();
    // Enables the owner again and closes.
    void Destroy();

    void SetRange(int lower, int upper) override;
    int SetPos(int position) override;
    bool CheckCancel() override;

    QString text() const;

protected:
    void reject() override;

private:
    QString m_verb;
    int m_lower = 0;
    int m_upper = 100;
    int m_pos = 0;
    bool m_cancel = false;
    QPointer<QWidget> m_disabled;
    QProgressBar *m_bar = nullptr;
    QLabel *m_text = nullptr;
};
