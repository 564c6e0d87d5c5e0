// The tray menu's items for backups, shortcuts, the autostart switch and the
// group file reach their work from the running panel; without a
// notification area the panel keeps its taskbar button and offers that menu
// itself.
#include "PanelTestUtil.h"
#include "mainwnd/PanelTrayMenu.h"
#include "platform/DesktopEntry.h"
#include "platform/ScriptedPrompter.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFile>
#include <QMenu>
#include <QStandardPaths>
#include <QTest>

namespace {

void trigger(Panel &p, int id)
{
    QAction *action = TrayMenu::Find(p.panel->trayMenu(), id);
    ASSERT_NE(action, nullptr) << id;
    emit p.panel->trayMenu()->aboutToShow();
    ASSERT_TRUE(action->isEnabled()) << id;
    action->trigger();
}

QString entryFile(const QString &folder)
{
    return folder + QLatin1Char('/') + DesktopEntry::FileName(QCoreApplication::applicationFilePath());
}

TEST(PanelExtras, ShortcutsAndTheAutostartEntryFromTheMenu)
{
    Panel p(true, [](CConfig &c) {
        c.StartRun = 0;
        c.StartAutoMin = 1;
    });
    p.panel->InitPanel(false);
    const QString autostart = entryFile(DesktopEntry::AutostartFolder());
    EXPECT_FALSE(QFile::exists(autostart)) << "StartRun off: no entry";

    trigger(p, 33137);
    const QString desktop = entryFile(DesktopEntry::DesktopFolder());
    const QString program = DesktopEntry::QuoteExecArgument(QCoreApplication::applicationFilePath());
    EXPECT_TRUE(QString::fromUtf8(TestEnv::readAll(desktop)).contains(QStringLiteral("Exec=%1\n").arg(program)))
        << qPrintable(desktop);
    trigger(p, 33138);
    EXPECT_TRUE(QFile::exists(entryFile(DesktopEntry::ApplicationsFolder())));

    // 开机自动运行此程序: an entry that passes "1" while the program is to
    // start in the tray, the program alone when not, none when switched off.
    trigger(p, 32845);
    EXPECT_EQ(p.config.StartRun, 1);
    EXPECT_TRUE(QString::fromUtf8(TestEnv::readAll(autostart)).contains(QStringLiteral("Exec=%1 1\n").arg(program)));
    trigger(p, 32846);
    EXPECT_EQ(p.config.StartAutoMin, 0);
    EXPECT_TRUE(QString::fromUtf8(TestEnv::readAll(autostart)).contains(QStringLiteral("Exec=%1\n").arg(program)));
    trigger(p, 32845);
    EXPECT_FALSE(QFile::exists(autostart));
    trigger(p, 32846);
    EXPECT_FALSE(QFile::exists(autostart)) << "the other switch does not bring it back";
}

TEST(PanelExtras, BackupRestoreAndTheGroupFileFromTheMenu)
{
    ScriptedPrompter prompter;
    PrompterScope scope(prompter);
    Panel p;
    p.config.BroadcastList = { QStringLiteral("10.9.9.255") };
    p.config.memoGroupNames.insert(QStringLiteral("AABBCCDDEE01"), QStringLiteral("同事"));
    const QString dir = TestEnv::freshDir(QStringLiteral("extras"));

    prompter.queueSaveFile(dir + QStringLiteral("/net.kr5"));
    trigger(p, 33101);
    EXPECT_EQ(prompter.calls().last().text, QStringLiteral("备份成功！"));
    p.config.BroadcastList.clear();
    prompter.queueOpenFile(dir + QStringLiteral("/net.kr5"));
    prompter.queueButton(Prompter::Button::Yes);
    trigger(p, 33094);
    EXPECT_EQ(prompter.calls().last().text, QStringLiteral("还原成功！"));
    EXPECT_EQ(p.config.BroadcastList, QStringList { QStringLiteral("10.9.9.255") });

    prompter.queueSaveFile(dir + QStringLiteral("/groups.xml"));
    trigger(p, 33139);
    EXPECT_EQ(prompter.calls().last().text, QStringLiteral("导出成功！"));
    p.config.memoGroupNames.clear();
    prompter.queueOpenFile(dir + QStringLiteral("/groups.xml"));
    prompter.queueButton(Prompter::Button::Yes);
    trigger(p, 33140);
    EXPECT_EQ(prompter.calls().last().text, QStringLiteral("导入成功！"));
    EXPECT_EQ(p.config.memoGroupNames.value(QStringLiteral("AABBCCDDEE01")), QStringLiteral("同事"));
}

TEST(PanelExtras, WithoutATrayThePanelOffersTheTrayMenu)
{
    for (const bool tray : { false, true }) {
        Panel p(tray);
        p.panel->InitPanel(false);
        // With a tray to go to there is no taskbar button; without one the
        // taskbar is the way back.
        EXPECT_EQ(p.panel->hasTray(), tray) << "tray " << tray;
        p.panel->show();
        const QPoint at(20, 60);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, p.panel->mapToGlobal(at));
        QCoreApplication::sendEvent(p.panel.get(), &event);
        QMenu *menu = p.panel->trayMenu();
        EXPECT_EQ(menu->isVisible(), !tray) << "tray " << tray;
        if (!tray) {
            EXPECT_TRUE(TrayMenu::Find(menu, TrayMenu::Quit)->isEnabled());
            EXPECT_TRUE(TrayMenu::Find(menu, 33093)->isEnabled());
        }
        menu->hide();
    }
}

} // namespace
