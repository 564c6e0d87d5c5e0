// The icon in the desktop's notification area. The interface keeps the
// operations of the Windows tray wrapper (create, show, remove, change icon
// and tip) so that the main panel does not care whether a tray host exists;
// the desktop implementation sits on QSystemTrayIcon and tests use the fake.
#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <QTimer>

class QMenu;
class QSystemTrayIcon;

class CTrayIcon : public QObject
{
    Q_OBJECT
public:
    // What the user did with the icon.
    enum class Activation { Click, DoubleClick, Context, Middle };
    // A tip longer than this is cut (the Windows tip held 63 characters).
    static constexpr int kMaxTipLength = 63;
    // How often the icon looks whether the notification area came or went
    // (one may start after the program, or end before it).
    static constexpr int kWatchMs = 2000;

    explicit CTrayIcon(QObject *parent = nullptr);

    // True when the desktop has a notification area to put the icon into;
    // without one the panel minimises instead of hiding.
    virtual bool isAvailable() const = 0;
    // Puts the icon into the area with its tip. False (and not enabled) when
    // there is no area yet: the icon goes in when one appears.
    bool Create(const QIcon &icon, const QString &tip);
    // Changes the icon and/or the tip: a null icon or a null tip keeps the
    // current one.
    virtual void Change(const QIcon &icon, const QString &tip) = 0;
    // Takes the icon out of the area; the enabled flag is cleared.
    void Remove();
    // Puts a removed icon back (nothing when it was never created).
    void Show();
    // Whether the area came or went since the last look (what the timer
    // does every kWatchMs).
    void Recheck();
    // The menu shown by the tray host on a right click (not owned).
    virtual void SetContextMenu(QMenu *menu) = 0;

    // The icon is in a notification area now.
    bool isEnabled() const { return m_enabled; }
    QIcon icon() const { return m_icon; }
    QString tip() const { return m_tip; }

    static QString cutTip(const QString &tip) { return tip.left(kMaxTipLength); }

signals:
    void activated(CTrayIcon::Activation how);
    // The icon went into a notification area that appeared (true), or its
    // area went away (false).
    void availabilityChanged(bool available);

protected:
    void store(const QIcon &icon, const QString &tip);
    // Puts the icon into the area or takes it out.
    virtual void setShown(bool) {}

    bool m_enabled = false;
    bool m_created = false;
    bool m_wanted = false; // created and not removed
    QTimer m_watch;
    QIcon m_icon;
    QString m_tip;
};

// The desktop's tray through QSystemTrayIcon.
class SystemTrayIcon final : public CTrayIcon
{
    Q_OBJECT
public:
    explicit SystemTrayIcon(QObject *parent = nullptr);
    ~SystemTrayIcon() override;

    bool isAvailable() const override;
    void Change(const QIcon &icon, const QString &tip) override;
    void SetContextMenu(QMenu *menu) override;

protected:
    void setShown(bool shown) override;

private:
    QSystemTrayIcon *m_tray = nullptr;
};

// For tests: a tray that is there or not as told, and that the test clicks.
class FakeTrayIcon final : public CTrayIcon
{
    Q_OBJECT
public:
    explicit FakeTrayIcon(bool available = true, QObject *parent = nullptr)
        : CTrayIcon(parent)
        , available(available)
    {
    }

    bool isAvailable() const override { return available; }
    void Change(const QIcon &icon, const QString &tip) override;
    void SetContextMenu(QMenu *m) override { menu = m; }

    void click(Activation how) { emit activated(how); }

    bool available;
    QMenu *menu = nullptr;
    int changes = 0;
};
