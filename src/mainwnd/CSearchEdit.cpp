#include "mainwnd/CSearchEdit.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

QString CSearchEdit::HintText()
{
    return QStringLiteral("搜索好友或问题...");
}

CSearchEdit::CSearchEdit(QWidget *parent)
    : QLineEdit(parent)
{
    setObjectName(QStringLiteral("1002"));
    setFrame(false);
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::white);
    setPalette(p);
    connect(this, &QLineEdit::textChanged, this, &CSearchEdit::onTextChanged);
}

void CSearchEdit::setTextColor(QRgb color)
{
    QPalette p = palette();
    p.setColor(QPalette::Text, QColor::fromRgb(color));
    setPalette(p);
}

void CSearchEdit::ShowHint()
{
    m_hint = true;
    setTextColor(kHintColor);
    setText(HintText());
}

QString CSearchEdit::searchText() const
{
    return m_hint ? QString() : text().trimmed();
}

void CSearchEdit::clearHint(bool byTyping)
{
    m_hint = false;
    setTextColor(0);
    clear();
    emit hintStateChanged(false, byTyping);
    m_timer.start(kHintTimerMs, this);
}

void CSearchEdit::onTextChanged()
{
    if (!m_hint && !text().trimmed().isEmpty())
        emit hintStateChanged(true, true);
    update();
    emit searchRequested(false);
}

void CSearchEdit::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        if (m_hint) {
            clearHint(false);
        } else {
            emit searchRequested(true);
            m_timer.start(kHintTimerMs, this);
        }
    }
    QLineEdit::mousePressEvent(event);
}

void CSearchEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) {
        emit arrowPressed(event->key() == Qt::Key_Down ? 1 : -1);
        return;
    }
    const bool typed = !event->text().isEmpty() && event->text().at(0).isPrint();
    if (m_hint && (typed || event->matches(QKeySequence::Paste)))
        clearHint(true);
    QLineEdit::keyPressEvent(event);
}

void CSearchEdit::inputMethodEvent(QInputMethodEvent *event)
{
    // Chinese text arrives through the input method.
    if (m_hint && !event->commitString().isEmpty())
        clearHint(true);
    QLineEdit::inputMethodEvent(event);
}

void CSearchEdit::hintBackIfEmpty()
{
    if (m_hint || !text().trimmed().isEmpty())
        return;
    ShowHint();
    m_timer.stop();
    emit hintStateChanged(false, false);
}

void CSearchEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    hintBackIfEmpty();
}

void CSearchEdit::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timer.timerId()) {
        QLineEdit::timerEvent(event);
        return;
    }
    if (!underMouse())
        hintBackIfEmpty();
}
