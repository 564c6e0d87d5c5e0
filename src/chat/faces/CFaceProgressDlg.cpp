#include "chat/faces/CFaceProgressDlg.h"
#include "controls/PlainLabel.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

CFaceProgressDlg::CFaceProgressDlg(const QString &verb, QWidget *owner)
    : QDialog(owner, Qt::Dialog)
    , m_verb(verb)
{
    setObjectName(QStringLiteral("109"));
    setWindowTitle(FaceProgressCaption(verb));
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("1003"));
    m_bar->setTextVisible(false);
    m_text = PlainLabel(QStringLiteral(" 0 %"), this);
    m_text->setObjectName(QStringLiteral("1004"));
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("2"));
    connect(cancel, &QPushButton::clicked, this, [this] { m_cancel = true; });
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_bar);
    layout->addWidget(cancel, 0, Qt::AlignHCenter);
    setMinimumWidth(360);
}

CFaceProgressDlg::~CFaceProgressDlg()
{
    Destroy();
}

void CFaceProgressDlg::Create()
{
    QWidget *top = parentWidget() ? parentWidget()->window() : nullptr;
    if (top && top->isEnabled()) {
        top->setEnabled(false);
        m_disabled = top;
    }
    // The window itself stays usable for its cancel button.
    setEnabled(true);
    show();
    QCoreApplication::processEvents();
}

void CFaceProgressDlg::Destroy()
{
    if (m_disabled) {
        m_disabled->setEnabled(true);
        m_disabled = nullptr;
    }
    hide();
}

void CFaceProgressDlg::SetRange(int lower, int upper)
{
    m_lower = lower;
    m_upper = upper;
    m_bar->setRange(lower, std::max(lower, upper));
}

int CFaceProgressDlg::SetPos(int position)
{
    QCoreApplication::processEvents();
    const int previous = m_pos;
    m_pos = position;
    m_bar->setValue(std::clamp(position, m_bar->minimum(), m_bar->maximum()));
    const QString text = FaceProgressText(m_verb, position, m_lower, m_upper);
    if (m_text->text() != text)
        m_text->setText(text);
    return previous;
}

bool CFaceProgressDlg::CheckCancel()
{
    QCoreApplication::processEvents();
    return std::exchange(m_cancel, false);
}

QString CFaceProgressDlg::text() const
{
    return m_text->text();
}

void CFaceProgressDlg::reject()
{
    m_cancel = true; // Escape and the close box cancel, the window stays
}
