// "QQ表情库文件所在路径" (dialog 385): the folder of another messenger's
// custom faces, to import every face picture in it.
#pragma once

#include <QDialog>

class QLineEdit;

class CImportQQFacesDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CImportQQFacesDlg(QWidget *parent = nullptr);

    QString path() const;
    void SetPath(const QString &path);

    // "选择路径": a folder browser; a chosen folder replaces the path.
    void OnBrowse();
    // OK: only an existing folder closes the dialog.
    void OnOK();

private:
    QLineEdit *m_path = nullptr;
};
