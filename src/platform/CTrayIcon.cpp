#include "platform/CTrayIcon.h"
#include "core/PlainText.h"

#include <QSystemTrayIcon>

void CTrayIcon::store(const QIcon &icon, const QString &tip)
{
    if (!icon.isNull())
        m_icon = icon;
    if (!tip.isNull())
        m_tip = cutTip(tip);
}

SystemTrayIcon::SystemTrayIcon(QObject *parent)
    : CTrayIcon(parent)
    , m_tray(new QSystemTrayIcon(this))
{
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        switch (reason) {
        case QSystemTrayIcon::Trigger:
            emit activated(Activation::Click);
            break;
        case QSystemTrayIcon::DoubleClick:
            emit activated(Activation::DoubleClick);
            break;
        case QSystemTrayIcon::Context:
            emit activated(Activation::Context);
            break;
        case QSystemTrayIcon::MiddleClick:
            emit activated(Activation::Middle);
            break;
        case QSystemTrayIcon::Unknown:
            break;
        }
    });
}

SystemTrayIcon::~SystemTrayIcon()
{
    Remove();
}

bool SystemTrayIcon::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool SystemTrayIcon::Create(const QIcon &icon, const QString &tip)
{
    store(icon, tip);
    m_created = true;
    m_tray->setIcon(m_icon);
    m_tray->setToolTip(PlainText::ToolTip(m_tip));
    m_enabled = isAvailable();
    if (m_enabled)
        m_tray->show();
    return m_enabled;
}

void SystemTrayIcon::Change(const QIcon &icon, const QString &tip)
{
    store(icon, tip);
    if (!icon.isNull())
        m_tray->setIcon(m_icon);
    if (!tip.isNull())
        m_tray->setToolTip(PlainText::ToolTip(m_tip));
}

void SystemTrayIcon::Remove()
{
    if (!m_enabled)
        return;
    m_tray->hide();
    m_enabled = false;
}

void SystemTrayIcon::Show()
{
    if (m_enabled || !m_created || !isAvailable())
        return;
    m_tray->show();
    m_enabled = true;
}

void SystemTrayIcon::SetContextMenu(QMenu *menu)
{
    m_tray->setContextMenu(menu);
}

bool FakeTrayIcon::Create(const QIcon &icon, const QString &tip)
{
    store(icon, tip);
    m_created = true;
    m_enabled = available;
    return m_enabled;
}

void FakeTrayIcon::Change(const QIcon &icon, const QString &tip)
{
    store(icon, tip);
    ++changes;
}
