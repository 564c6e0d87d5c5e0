#include "core/CConfig.h"

#include "core/CRegistryKey.h"
#include "core/ConfigValues.h"
#include "core/Gbk.h"

#include <QDir>
#include <QSet>
#include <QStandardPaths>
#include <QTimer>
#include <utility>

namespace {

const QString kCompany = QStringLiteral("TARPELON");
const QString kProduct = QStringLiteral("Kwel");

const QString kQuickReplySection = QStringLiteral("QUICKREPLY_STR");
const QString kAwayNameSection = QStringLiteral("AWAYNAME_STR");
const QString kGroupSection = QStringLiteral("MemberGroups");
const QString kMemoGroupSection = QStringLiteral("memoGroupNames");
const QString kMemoNickSection = QStringLiteral("memoNickNames");
const QString kMemoInfoSection = QStringLiteral("memoUsesInfos");
const QString kObjectGroupSection = QStringLiteral("ObjectGroupStatus");
const QString kBroadcastSection = QStringLiteral("BROADCAST_STR");
const QString kRecentSection = QStringLiteral("LASTPERSON_STR");
const QString kSpamSection = QStringLiteral("SPAMRULE_STR");
const QString kIpMacSection = QStringLiteral("IPMAC_STR");
const QString kChatFontValue = QStringLiteral("ChatFont");
const QString kSharePwdValue = QStringLiteral("FileSharePwd");

const QString kMyFriends = DefaultGroups::MyFriends();
const QString kBlackList = DefaultGroups::BlackList();
const QString kSelf = DefaultGroups::Self();

constexpr int kNameBytes = 50;
constexpr int kMapKeyBytes = 64;
constexpr int kMacBytes = 18;

const std::array<const char *, CConfig::QuickReplyCount> kQuickReplies
    = { "好的。", "我现在正有点事，一会联系。", "谢谢。", "有空的话过来下,我有事找你。" };
const std::array<const char *, CConfig::AwayModeCount> kAwayNames
    = { "暂离", "用餐", "开会", "来客", "出去", "回家", "很困", "工作" };

QString fit(const QString &text, int fieldBytes)
{
    return Gbk::truncate(text, fieldBytes - 1);
}

QByteArray fitPassword(const QByteArray &scrambled)
{
    const qsizetype nul = scrambled.indexOf('\0');
    return (nul < 0 ? scrambled : scrambled.left(nul)).left(CConfig::FileSharePwdBytes - 1);
}

// A map is stored as a list of "key#~$#value" entries.
QStringList mapEntries(const QMap<QString, QString> &map, int valueBytes)
{
    QStringList out;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (!it.key().isEmpty() && Gbk::byteLength(it.key()) < kMapKeyBytes)
            out.append(RecordText::join({ it.key(), fit(it.value(), valueBytes) }));
    }
    return out;
}

QMap<QString, QString> readMap(const CRegistryKey &key, const QString &section, int valueBytes)
{
    QMap<QString, QString> map;
    for (const QString &entry : key.ReadList(section)) {
        const QStringList f = RecordText::split(entry);
        if (f.size() == 2 && !f[0].isEmpty() && Gbk::byteLength(f[0]) < kMapKeyBytes)
            map.insert(f[0], fit(f[1], valueBytes));
    }
    return map;
}

QStringList fittingEntries(const QStringList &entries, int fieldBytes)
{
    QStringList out;
    for (const QString &e : entries)
        if (Gbk::byteLength(e) < fieldBytes)
            out.append(e);
    return out;
}

QVariant storedText(const ConfigValues::Text &t, const CConfig &config)
{
    const QString value = ConfigValues::fitText(t, config.*t.member);
    // The default work directory is not written, so that the store follows
    // the user's data location.
    if (t.member == &CConfig::WorkDir && value == CConfig::DefaultWorkDir())
        return QString();
    return value;
}

} // namespace

CConfig::CConfig(const QString &storePath)
    : m_storePath(storePath)
{
    ResetToDefaults();
}

CConfig::~CConfig()
{
    FlushScheduledSave();
}

QString CConfig::StorePath() const
{
    return CRegistryKey(kCompany, kProduct, m_storePath).FilePath();
}

QString CConfig::UnwritableText(const QString &failure) const
{
    return failure + QStringLiteral("设置文件不能写入:\n%1").arg(QDir::toNativeSeparators(StorePath()));
}

QString CConfig::DefaultWorkDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

void CConfig::ResetToDefaults()
{
    for (const auto &v : ConfigValues::ints())
        this->*v.member = v.def;
    for (const auto &v : ConfigValues::words())
        this->*v.member = v.def;
    for (const auto &v : ConfigValues::texts())
        this->*v.member = QString::fromUtf8(v.def);
    WorkDir = DefaultWorkDir();
    BroadcastList.clear();
    MemberGroups.clear();
    UserGroupRecord friends = InitUserGroupRecord(kMyFriends);
    friends.collapsed = 0;
    UserGroupRecord self = InitUserGroupRecord(kSelf);
    self.collapsed = 0;
    MemberGroups = { friends, InitUserGroupRecord(kBlackList), self };
    RebuildGroupIndex();
    ObjectGroupStatus.clear();
    memoGroupNames.clear();
    memoNickNames.clear();
    memoUsesInfos.clear();
    IpToMac.clear();
    LastPersonTexts.clear();
    LastPersonKeys.clear();
    for (int i = 0; i < AwayModeCount; ++i)
        AwayNames[size_t(i)] = QString::fromUtf8(kAwayNames[size_t(i)]);
    SpamRules.clear();
    FileSharePwd.clear();
    chatFont = ChatFont::standard();
    for (int i = 0; i < QuickReplyCount; ++i)
        QuickReplies[size_t(i)] = QString::fromUtf8(kQuickReplies[size_t(i)]);
    RequestReadNotice = 0;
}

void CConfig::loadScalars(const CRegistryKey &key)
{
    for (const auto &v : ConfigValues::ints()) {
        if (const auto n = key.ReadInt(QString::fromLatin1(v.name)))
            this->*v.member = (*n >= v.min && *n <= v.max) ? static_cast<int>(*n) : v.def;
    }
    for (const auto &v : ConfigValues::words()) {
        if (const auto n = key.ReadInt(QString::fromLatin1(v.name))) {
            // Windows writes these words as signed 32-bit numbers too.
            const qint64 word = (*n < 0 && *n >= INT32_MIN) ? *n + 0x100000000LL : *n;
            this->*v.member = (word >= 0 && word <= qint64(v.max)) ? static_cast<uint32_t>(word) : v.def;
        }
    }
    for (const auto &v : ConfigValues::texts()) {
        if (const auto s = key.ReadString(QString::fromLatin1(v.name)))
            this->*v.member = ConfigValues::fitText(v, *s);
    }
    if (WorkDir.isEmpty())
        WorkDir = DefaultWorkDir();

    if (const auto pwd = key.ReadBytes(kSharePwdValue))
        FileSharePwd = fitPassword(*pwd);
    else if (const auto text = key.ReadString(kSharePwdValue))
        FileSharePwd = fitPassword(Gbk::encode(*text));
    if (const auto block = key.ReadBytes(kChatFontValue)) {
        if (const auto font = ChatFont::fromBytes(*block))
            chatFont = *font;
    }
}

void CConfig::loadLists(const CRegistryKey &key)
{
    const QStringList replies = key.ReadList(kQuickReplySection);
    for (int i = 0; i < QuickReplyCount && i < replies.size(); ++i)
        QuickReplies[size_t(i)] = fit(replies[i], QuickReplyBytes);
    const QStringList away = key.ReadList(kAwayNameSection);
    for (int i = 0; i < AwayModeCount && i < away.size(); ++i)
        AwayNames[size_t(i)] = fit(away[i], AwayNameBytes);

    if (key.SectionExists(kGroupSection)) {
        MemberGroups.clear();
        for (const QString &text : key.ReadList(kGroupSection))
            if (const auto r = UserGroupRecord::fromText(text))
                MemberGroups.append(*r);
    }
    memoGroupNames = readMap(key, kMemoGroupSection, kNameBytes);
    memoNickNames = readMap(key, kMemoNickSection, kNameBytes);
    memoUsesInfos = readMap(key, kMemoInfoSection, MemoTextBytes);
    ObjectGroupStatus = readMap(key, kObjectGroupSection, kNameBytes);

    for (const QString &entry : key.ReadList(kIpMacSection)) {
        const QStringList f = RecordText::split(entry);
        const auto address = f.size() == 2 ? ConfigValues::ParseIPv4(f[0]) : std::nullopt;
        if (address && !f[1].isEmpty() && Gbk::byteLength(f[1]) < kMacBytes)
            IpToMac.insert(*address, f[1]);
    }

    BroadcastList = key.ReadList(kBroadcastSection, BroadcastEntryBytes);
    for (const QString &text : key.ReadList(kRecentSection, RecentEntryBytes)) {
        if (LastPersonTexts.size() >= RecentContactsKept) {
            m_recentOverflowed = true;
            break;
        }
        if (const auto k = RecentKeyFromText(text)) {
            LastPersonTexts.append(text);
            LastPersonKeys.append(*k);
        }
    }
    for (const QString &text : key.ReadList(kSpamSection))
        if (const auto r = SpamRuleRecord::fromText(text))
            SpamRules.append(*r);
}

void CConfig::normalizeGroups()
{
    QList<UserGroupRecord> groups;
    QSet<QString> seen;
    for (UserGroupRecord r : std::as_const(MemberGroups)) {
        r.name = fit(r.name, UserGroupRecord::NameBytes);
        if (r.name.isEmpty() || seen.contains(r.name))
            continue;
        seen.insert(r.name);
        groups.append(r);
    }
    // "我的好友" and "黑名单" always exist.
    if (!seen.contains(kMyFriends)) {
        UserGroupRecord friends = InitUserGroupRecord(kMyFriends);
        friends.collapsed = 0;
        groups.prepend(friends);
    }
    if (!seen.contains(kBlackList))
        groups.append(InitUserGroupRecord(kBlackList));
    MemberGroups = groups;
}

bool CConfig::Load()
{
    // A full reload replaces whatever was waiting to be written.
    m_pendingMask = 0;
    if (m_timer)
        m_timer->stop();
    ResetToDefaults();
    m_recentOverflowed = false;
    bool ok = true;
    {
        CRegistryKey key(kCompany, kProduct, m_storePath);
        loadScalars(key);
        loadLists(key);
        ok = key.ReadOk();
    }
    normalizeGroups();
    RebuildGroupIndex();
    m_written.clear();
    for (uint32_t bit = 1; bit <= CFG_ALL; bit <<= 1)
        if (bit & CFG_ALL)
            m_written[bit] = BuildSectionImage(bit);
    // A stored list of recent contacts longer than is kept loses the rest.
    if (ok && std::exchange(m_recentOverflowed, false))
        Save(CFG_RECENT, true);
    return ok;
}

CConfig::SectionImage CConfig::BuildSectionImage(uint32_t bit) const
{
    SectionImage img;
    for (const auto &v : ConfigValues::ints())
        if (v.section == bit)
            img.values.append({ QString::fromLatin1(v.name), QVariant(qlonglong(this->*v.member)) });
    for (const auto &v : ConfigValues::words())
        if (v.section == bit)
            img.values.append({ QString::fromLatin1(v.name), QVariant(qlonglong(this->*v.member)) });
    for (const auto &v : ConfigValues::texts())
        if (v.section == bit)
            img.values.append({ QString::fromLatin1(v.name), storedText(v, *this) });

    switch (bit) {
    case CFG_GENERAL: {
        img.values.append({ kSharePwdValue, QVariant(fitPassword(FileSharePwd)) });
        QStringList replies, away, groups;
        for (const QString &r : QuickReplies)
            replies.append(fit(r, QuickReplyBytes));
        for (const QString &a : AwayNames)
            away.append(fit(a, AwayNameBytes));
        for (const UserGroupRecord &g : MemberGroups)
            if (!fit(g.name, UserGroupRecord::NameBytes).isEmpty())
                groups.append(g.toText());
        img.lists = { { kQuickReplySection, replies }, { kAwayNameSection, away }, { kGroupSection, groups },
            { kMemoGroupSection, mapEntries(memoGroupNames, kNameBytes) },
            { kMemoNickSection, mapEntries(memoNickNames, kNameBytes) },
            { kMemoInfoSection, mapEntries(memoUsesInfos, MemoTextBytes) },
            { kObjectGroupSection, mapEntries(ObjectGroupStatus, kNameBytes) } };
        break;
    }
    case CFG_CHATFONT:
        img.values.append({ kChatFontValue, QVariant(chatFont.toBytes()) });
        break;
    case CFG_BROADCAST:
        img.lists = { { kBroadcastSection, fittingEntries(BroadcastList, BroadcastEntryBytes) } };
        break;
    case CFG_RECENT:
        img.lists = { { kRecentSection, fittingEntries(LastPersonTexts.mid(0, RecentContactsKept), RecentEntryBytes) } };
        break;
    case CFG_SPAMRULES: {
        QStringList rules;
        for (const SpamRuleRecord &r : SpamRules)
            rules.append(r.toText());
        img.lists = { { kSpamSection, rules } };
        break;
    }
    case CFG_IPMAC: {
        QStringList entries;
        for (auto it = IpToMac.cbegin(); it != IpToMac.cend(); ++it)
            if (!it.value().isEmpty() && Gbk::byteLength(it.value()) < kMacBytes)
                entries.append(RecordText::join({ ConfigValues::FormatIPv4(it.key()), it.value() }));
        img.lists = { { kIpMacSection, entries } };
        break;
    }
    default:
        break;
    }
    return img;
}

bool CConfig::writeSections(uint32_t mask, bool force)
{
    CRegistryKey key(kCompany, kProduct, m_storePath);
    std::map<uint32_t, SectionImage> written;
    for (uint32_t bit = 1; bit <= CFG_ALL; bit <<= 1) {
        if (!(bit & mask & CFG_ALL))
            continue;
        SectionImage img = BuildSectionImage(bit);
        const auto last = m_written.find(bit);
        if (!force && last != m_written.end() && last->second == img)
            continue;
        for (const auto &[name, value] : img.values) {
            if (value.typeId() == QMetaType::QByteArray)
                key.WriteBytes(name, value.toByteArray());
            else if (value.typeId() == QMetaType::LongLong)
                key.WriteInt(name, value.toLongLong());
            else
                key.WriteString(name, value.toString());
        }
        for (const auto &[section, entries] : img.lists)
            key.WriteList(section, entries);
        written[bit] = std::move(img);
    }
    if (written.empty())
        return true;
    if (!key.Flush())
        return false;
    for (auto &[bit, img] : written)
        m_written[bit] = std::move(img);
    return true;
}

bool CConfig::Save(uint32_t mask, bool force, bool schedule)
{
    mask &= CFG_ALL;
    if (schedule) {
        m_pendingMask |= mask;
        if (!m_timer) {
            m_timer = std::make_unique<QTimer>();
            m_timer->setSingleShot(true);
            QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [this] { FlushScheduledSave(); });
        }
        m_timer->start(ScheduledSaveDelayMs);
        return true;
    }
    const uint32_t all = mask | m_pendingMask;
    if (!writeSections(all, force))
        return false;
    m_pendingMask = 0;
    if (m_timer)
        m_timer->stop();
    return true;
}

bool CConfig::FlushScheduledSave()
{
    if (m_pendingMask == 0)
        return true;
    return Save(0);
}

void CConfig::RebuildGroupIndex()
{
    MemberGroupIndex.clear();
    for (int i = 0; i < MemberGroups.size(); ++i)
        if (!MemberGroupIndex.contains(MemberGroups[i].name))
            MemberGroupIndex.insert(MemberGroups[i].name, i);
}

int CConfig::FindMemberGroup(const QString &name) const
{
    const auto it = MemberGroupIndex.constFind(name);
    if (it != MemberGroupIndex.cend() && *it >= 0 && *it < MemberGroups.size() && MemberGroups[*it].name == name)
        return *it;
    for (int i = 0; i < MemberGroups.size(); ++i)
        if (MemberGroups[i].name == name)
            return i;
    return -1;
}

std::optional<QString> CConfig::RecentKeyFromText(const QString &text)
{
    const qsizetype open = text.lastIndexOf(QLatin1Char('('));
    if (open < 0)
        return std::nullopt;
    QString mac = text.mid(open);
    mac.remove(QLatin1Char('('));
    mac.remove(QLatin1Char(')'));
    if (mac.size() != 17)
        return std::nullopt;
    return mac.remove(QLatin1Char('-'));
}
