#include "platform/CTrayIcon.h"
#include "core/PlainText.h"

#include <QSystemTrayIcon>

CTrayIcon::CTrayIcon(QObject *parent)
    : QObject(parent)
{
    m_watch.setInterval(kWatchMs);
    connect(&m_watch, &QTimer::timeout, this, &CTrayIcon::Recheck);
}

bool CTrayIcon::Create(const QIcon &icon, const QString &tip)
{
    store(icon, tip);
    m_created = true;
    Show();
    m_watch.start();
    return m_enabled;
}

void CTrayIcon::Show()
{
    if (!m_created || m_wanted)
        return;
    m_wanted = true;
    m_enabled = isAvailable();
    if (m_enabled)
        setShown(true);
}

void CTrayIcon::Remove()
{
    m_wanted = false;
    if (!m_enabled)
        return;
    setShown(false);
    m_enabled = false;
}

void CTrayIcon::Recheck()
{
    const bool now = m_wanted && isAvailable();
    if (now == m_enabled)
        return;
    m_enabled = now;
    setShown(now);
    emit availabilityChanged(now);
}

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

void SystemTrayIcon::Change(const QIcon &icon, const QString &tip)
{
    store(icon, tip);
    if (!icon.isNull())
        m_tray->setIcon(m_icon);
    if (!tip.isNull())
        m_tray->setToolTip(PlainText::ToolTip(m_tip));
}

void SystemTrayIcon::setShown(bool shown)
{
    // Hidden first: an area that appeared gets the icon anew.
    m_tray->hide();
    if (shown) {
        m_tray->setIcon(m_icon);
        m_tray->setToolTip(PlainText::ToolTip(m_tip));
        m_tray->show();
    }
}

void SystemTrayIcon::SetContextMenu(QMenu *menu)
{
    m_tray->setContextMenu(menu);
}

void FakeTrayIcon::Change(const QIcon &icon, const QString &tip)
{
    store(icon, tip);
    ++changes;
}
