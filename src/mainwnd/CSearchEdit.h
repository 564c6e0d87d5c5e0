// The search box of the search strip (control 1002). While empty it shows
// the grey hint "搜索好友或问题..."; a click or a typed character takes the
// hint away, and the hint comes back when the box is left empty (focus lost,
// or the mouse outside it for a second). It tells the strip two things:
// whether it holds the user's text (hintStateChanged) and that the search is
// to run (searchRequested).
#pragma once

#include <QBasicTimer>
#include <QLineEdit>

class CSearchEdit : public QLineEdit
{
    Q_OBJECT
public:
    static constexpr QRgb kHintColor = 0xB0B0B0;
    static constexpr int kHintTimerMs = 1000;
    static QString HintText();

    explicit CSearchEdit(QWidget *parent = nullptr);

    bool isShowingHint() const { return m_hint; }
    // The grey hint as the box's text.
    void ShowHint();
    // The user's text, trimmed; empty while the hint shows.
    QString searchText() const;

signals:
    // hasText: the box holds non-blank text of the user; userText: the box
    // holds (or is about to hold) the user's text rather than the hint.
    void hintStateChanged(bool hasText, bool userText);
    // The search is to run: after every change of the text, or on a click
    // into the user's text (byClick).
    void searchRequested(bool byClick);
    // The up (-1) and down (1) arrows: the user moves through the results.
    void arrowPressed(int step);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    void clearHint(bool byTyping);
    void setTextColor(QRgb color);
    void onTextChanged();
    void hintBackIfEmpty();

    QBasicTimer m_timer;
    bool m_hint = false;
};
