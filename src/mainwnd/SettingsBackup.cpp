#include "mainwnd/SettingsBackup.h"

#include "core/CConfig.h"
#include "core/CRegistryKey.h"
#include "core/Prompter.h"
#include "core/SaveFileChoice.h"

#include <QFileInfo>

namespace SettingsBackup {

namespace {

const QString kCaption = QStringLiteral("提示");

void tell(QObject *owner, const QString &text)
{
    Prompter::current().messageBox(owner, text, kCaption, Prompter::Buttons::Ok, Prompter::Icon::Information);
}

const Kind *findKind(int kind)
{
    for (const Kind &k : kKinds) {
        if (k.kind == kind)
            return &k;
    }
    return nullptr;
}

CRegistryKey openStore(const CConfig &config)
{
    return CRegistryKey(QStringLiteral("TARPELON"), QStringLiteral("Kwel"), config.StorePath());
}

// Appends the texts of a restored recent-contacts list that carry a MAC
// address and are not listed yet, while fewer than are kept are listed.
void mergeRecent(CConfig &config, const QStringList &texts)
{
    for (const QString &text : texts) {
        if (config.LastPersonTexts.size() >= CConfig::RecentContactsKept)
            break;
        const auto key = CConfig::RecentKeyFromText(text);
        if (!key || config.LastPersonKeys.contains(*key))
            continue;
        config.LastPersonTexts.append(text);
        config.LastPersonKeys.append(*key);
    }
}

} // namespace

std::optional<int> KindOfCommand(int command)
{
    for (const Kind &k : kKinds) {
        if (k.command == command)
            return k.kind;
    }
    return std::nullopt;
}

QString Extension(int kind)
{
    if (!findKind(kind))
        return {};
    return QStringLiteral("kr%1").arg(kind == 0 ? 1 : kind);
}

std::optional<int> KindOfPath(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const Kind &k : kKinds) {
        if (suffix == Extension(k.kind))
            return k.kind;
    }
    return std::nullopt;
}

QString SectionOf(int kind)
{
    const Kind *k = findKind(kind);
    return k ? QString::fromLatin1(k->section) : QString();
}

Result BackupSettings(CConfig &config, int kind, QObject *owner)
{
    const QString extension = Extension(kind);
    if (extension.isEmpty())
        return Result::Cancelled;
    const QString filter = Prompter::filterFromWindows(
        QStringLiteral("Kwel Bak Files (*.%1)|*.%1|").arg(extension));
    // The restore knows a file's kind by its extension alone, so a name
    // without it gets it; a file of that name is replaced only when the user
    // says so.
    const QString path = ChooseSaveFile(owner, QString(), QString(), filter, SaveFileType{ extension, { extension } });
    if (path.isEmpty())
        return Result::Cancelled;
    // The file holds what the user sees, scheduled changes included.
    // A store the values could not be written to holds older ones: such a
    // backup would not be what the user sees.
    if (!config.FlushScheduledSave() || !config.Save(CFG_ALL)) {
        tell(owner, config.UnwritableText(QStringLiteral("备份失败！")));
        return Result::Failed;
    }
    const CRegistryKey store = openStore(config);
    if (!store.ReadOk()) {
        tell(owner, QStringLiteral("备份失败！\r\n失败原因：打开注册表失败！"));
        return Result::StoreUnreadable;
    }
    if (!store.ExportTree(SectionOf(kind), path)) {
        tell(owner, QStringLiteral("备份失败！可能该文件已经存在或权限不够."));
        return Result::Failed;
    }
    tell(owner, QStringLiteral("备份成功！"));
    return Result::Done;
}

Result RestoreSettings(CConfig &config, QObject *owner)
{
    const QString filter = Prompter::filterFromWindows(
        QStringLiteral("Kwel Bak Files (*.kr1;*.kr2;*.kr3;*.kr4;*.kr5;*.kr6)|*.kr1;*.kr2;*.kr3;*.kr4;*.kr5;*.kr6||"));
    const QString path = Prompter::current().openFile(owner, QString(), QString(), filter);
    if (path.isEmpty())
        return Result::Cancelled;
    if (!Prompter::current().askYesNo(owner, QStringLiteral("您是否真的要还原此数据?"), kCaption))
        return Result::Cancelled;
    return RestoreFile(config, path, owner);
}

Result RestoreFile(CConfig &config, const QString &path, QObject *owner)
{
    const std::optional<int> kind = KindOfPath(path);
    if (!kind) {
        tell(owner, QStringLiteral("还原失败！"));
        return Result::Failed;
    }
    // A save scheduled before the restore must not write over what it brings.
    config.FlushScheduledSave();
    CRegistryKey store = openStore(config);
    if (!store.ReadOk()) {
        tell(owner, QStringLiteral("还原失败！\r\n失败原因：打开注册表失败！"));
        return Result::StoreUnreadable;
    }
    const QString section = SectionOf(*kind);
    if (store.ImportTree(section, path) != CRegistryKey::ImportStatus::Ok) {
        tell(owner, QStringLiteral("还原失败！"));
        return Result::Failed;
    }
    switch (*kind) {
    case 0:
        config.Load();
        tell(owner, QStringLiteral("还原成功！您需重新启动Kwel!"));
        break;
    case 5:
        config.BroadcastList = store.ReadList(section, CConfig::BroadcastEntryBytes);
        // Written once more, so that the configuration knows what the store
        // holds and a later save is not skipped as unchanged.
        config.Save(CFG_BROADCAST, true);
        tell(owner, QStringLiteral("还原成功！"));
        break;
    case 6:
        mergeRecent(config, store.ReadList(section, CConfig::RecentEntryBytes));
        // The store now holds the file's list alone: it gets the merged one,
        // so that the contacts listed before are not lost at the next start
        // (forced: the configuration may have written that list before).
        config.Save(CFG_RECENT, true);
        tell(owner, QStringLiteral("还原成功！"));
        break;
    default:
        tell(owner, QStringLiteral("还原成功！您需重新启动Kwel!"));
        break;
    }
    return Result::Done;
}

} // namespace SettingsBackup
