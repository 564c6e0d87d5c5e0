// The notice of a newer version (dialog 160, "Kwel检测到新版本提示"): what
// the new release brings, or which peer on the LAN runs a newer version,
// with a button that opens the download page in the browser. It slides up
// from the bottom edge of the work area at its right side.
#pragma once

#include <QDialog>
#include <QTimer>

class QPlainTextEdit;

class CNewVersionDlg : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kSlideSteps = 10;
    static constexpr int kSlideStepMs = 100;
    static constexpr QSize kSize{320, 220};

    explicit CNewVersionDlg(QWidget *parent = nullptr);

    // The text of control 1078, the download address, and whether the notice
    // is about a peer on the LAN (with that peer's address).
    void SetInfo(const QString &text, const QString &downloadUrl, bool lan, quint32 peerAddress);
    QString infoText() const;
    QString downloadUrl() const { return m_url; }
    bool isLan() const { return m_lan; }
    quint32 peerAddress() const { return m_peer; }

    // Shows the notice at its first slide step and slides it up.
    void ShowSliding();
    bool isSliding() const { return m_slide.isActive(); }
    // Where step i (1..10) of the slide puts the window's frame.
    static QPoint SlidePosition(const QRect &workArea, const QSize &frame, int step);

    // 1001 "点击下载最新版本": opens the download address (a peer's program
    // file is never asked for: it would be another system's executable).
    // Without an address the user is told so.
    void OnDownload();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void slideStep();
    QRect workArea() const;

    QPlainTextEdit *m_text = nullptr;
    QString m_url;
    bool m_lan = false;
    quint32 m_peer = 0;
    QTimer m_slide;
    int m_step = 0;
};
