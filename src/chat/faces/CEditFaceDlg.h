// "修改自定义表情" (dialog 291): shows a face and edits its name. The rich
// edit opens it as "新增自定义表情" to name a picture before it joins the faces.
#pragma once

#include <QDialog>

class CGifStatic;
class QLineEdit;

class CEditFaceDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CEditFaceDlg(QWidget *parent = nullptr);

    // A caption replaces the dialog's own when not empty.
    void SetCaption(const QString &caption);
    void SetPicturePath(const QString &path);
    void SetName(const QString &name);
    QString name() const;
    QString picturePath() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *m_path = nullptr;
    QLineEdit *m_name = nullptr;
    CGifStatic *m_preview = nullptr;
};
