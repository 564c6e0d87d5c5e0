// The search strip above the main panel's folder bar (dialog 111): the own
// status button "在线▼" (1237), a small search icon, the search box (1002)
// and its clear button (1003). Typing searches the peers at once and shows
// the result panel under the strip; Enter with exactly one result, or a
// double click on a result, opens the chat with that peer.
#pragma once

#include <QWidget>

class CConfig;
class CImageButton;
class CMessengerDlg;
class CSearchEdit;
class CSearchPanelDlg;
class QToolButton;

class CSearchBarDlg : public QWidget
{
    Q_OBJECT
public:
    static constexpr uint32_t kFrameColor = 0xE99494; // COLORREF
    static constexpr uint32_t kStatusBackground = 0xFFE8E8; // COLORREF
    static QString HelpText();

    explicit CSearchBarDlg(CMessengerDlg *messenger, QWidget *parent = nullptr);
    ~CSearchBarDlg() override;

    CSearchEdit *searchBox() const { return m_box; }
    CSearchPanelDlg *resultPanel() const { return m_panel; }
    CImageButton *statusButton() const { return m_status; }
    QToolButton *clearButton() const { return m_clear; }

    // The status button's icon: image index of the small head-icon list (an
    // index beyond the list takes image 1).
    void SetStatusIcon(int index);
    int statusIcon() const { return m_statusIcon; }
    // The status button's text ("在线▼", "隐身▼" or an away name with "▼").
    void SetStatusText(const QString &text);
    // Hides the result panel (the main window moves or is clicked elsewhere).
    void HidePanel();

public slots:
    // Enter in the strip: the chat of the result picked with the arrow keys,
    // or of the only result, opens.
    void OnOK();
    // Command 1003: the box back to the hint.
    void OnClear();

signals:
    // The status button was pressed: the status menu belongs below it (screen
    // position of the button's bottom-left corner).
    void statusMenuRequested(const QPoint &globalPos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void onHintState(bool hasText, bool userText);
    void onSearch(bool byClick);

    CMessengerDlg *m_messenger;
    const CConfig *m_config;
    CImageButton *m_status = nullptr;
    QToolButton *m_clear = nullptr;
    CSearchEdit *m_box = nullptr;
    CSearchPanelDlg *m_panel = nullptr;
    QObject *m_watchedWindow = nullptr;
    int m_statusIcon = 1;
};
