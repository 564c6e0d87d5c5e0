// The help dialog: how the program is used, in six short sections, three
// links to the user's own data, and the bird that flaps its wings.
#pragma once

#include <QBasicTimer>
#include <QDialog>

class CConfig;
class CHyperLinkStatic;
class QLabel;
class QTextBrowser;

class CHelpDlg : public QDialog
{
    Q_OBJECT
public:
    // dataFolder: the program's data folder (for the links); the
    // configuration gives the transparency (null: opaque).
    CHelpDlg(const QString &dataFolder, const CConfig *config, QWidget *parent = nullptr);

    static QString HelpText();
    int pictureFrame() const { return m_frame; }
    CHyperLinkStatic *link(int index) const;

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    QLabel *m_picture = nullptr;
    QTextBrowser *m_text = nullptr;
    CHyperLinkStatic *m_links[3] = {};
    QBasicTimer m_flap;
    int m_frame = 0;
};
