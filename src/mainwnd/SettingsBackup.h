// Backup and restore of parts of the settings store (the tray menu's
// "备份还原数据"): one file per kind, whose extension names the section it
// holds (docs/settings-backup-format.md). Widget-free: the questions and
// messages go through the current Prompter.
#pragma once

#include <QString>
#include <optional>

class CConfig;
class QObject;

namespace SettingsBackup {

// The backup kinds 0, 2..6 and their tray-menu commands.
struct Kind
{
    int kind;
    int command;
    const char *section; // below the store's root; "" the whole store
};
inline constexpr Kind kKinds[] = {
    {0, 33093, ""},
    {2, 33099, "QUNGROUP_STR"},
    {3, 33100, "PLAN_STR"},
    {4, 33103, "CLOCK_STR"},
    {5, 33101, "BROADCAST_STR"},
    {6, 33102, "LASTPERSON_STR"},
};
inline constexpr int kRestoreCommand = 33094;

// The kind of a backup menu command, or nothing.
std::optional<int> KindOfCommand(int command);
// "kr1" for kind 0, "kr%d" for the others; empty for an unknown kind.
QString Extension(int kind);
// The kind a file's extension names (compared case-insensitively), or
// nothing for any other extension.
std::optional<int> KindOfPath(const QString &path);
QString SectionOf(int kind);

enum class Result {
    Cancelled, // the user chose no file, or said no
    Done,
    StoreUnreadable, // "打开注册表失败"
    Failed,
};

// Asks for a file, saves the settings and writes the kind's section to it
// (through a temporary file that replaces the chosen one when complete). A
// name without the kind's extension gets it, and an existing file of that
// name is replaced only when the user says so. Settings that cannot be
// saved are told with the settings file's path, and no backup is written.
Result BackupSettings(CConfig &config, int kind, QObject *owner);
// Asks for a backup file and whether to restore it, then replaces the
// section its extension names. A file that does not hold that section, or
// is damaged, changes nothing. Whole store: the configuration is loaded
// again; the group chats, plans and reminders need a restart; the
// other-subnet list and the recent contacts are taken at once.
Result RestoreSettings(CConfig &config, QObject *owner);
// The restore of a chosen file without the questions.
Result RestoreFile(CConfig &config, const QString &path, QObject *owner);

} // namespace SettingsBackup
