#include "mainwnd/GroupFile.h"

#include "core/CConfig.h"
#include "core/CXmlDocument.h"
#include "core/Gbk.h"
#include "core/StatusBits.h"

namespace GroupFile {

namespace {

constexpr int kMacLength = 12;
constexpr int kNameBytes = 50;

bool usableEntry(const QString &mac, const QString &name)
{
    return mac.size() == kMacLength && Gbk::byteLength(name) < kNameBytes;
}

void addGroup(CConfig &config, const QString &name, ImportResult &result)
{
    config.MemberGroups.append(OpenUserGroupRecord(name));
    config.MemberGroupIndex.insert(name, int(config.MemberGroups.size() - 1));
    result.newGroups.append(name);
}

} // namespace

QString JoinInfo(const QStringList &fields)
{
    QString joined;
    bool any = false;
    for (int i = 0; i < int(std::size(kInfoNames)); ++i) {
        QString field = i < fields.size() ? fields[i] : QString();
        field.remove(kFieldSeparator);
        field = field.trimmed();
        any = any || !field.isEmpty();
        joined += field + kFieldSeparator;
    }
    return any ? joined : QString();
}

CXmlDocument Export(const CConfig &config, const QString &ownMac)
{
    CXmlDocument doc;
    doc.SetText(QStringLiteral("<?xml version=\"1.0\" encoding=\"gb2312\" ?>"));
    doc.AddElement(QStringLiteral("MemoGroups"));
    doc.EnterElement();
    for (auto it = config.memoGroupNames.cbegin(); it != config.memoGroupNames.cend(); ++it) {
        if (it.value().isEmpty() || it.value() == DefaultGroups::Self())
            continue;
        doc.AddElement(QStringLiteral("UserGroup"));
        doc.SetAttribute(QStringLiteral("MAC"), it.key());
        doc.SetAttribute(QStringLiteral("GroupName"), it.value());
    }
    doc.LeaveElement();
    doc.AddElement(QStringLiteral("memoNickNames"));
    doc.EnterElement();
    for (auto it = config.memoNickNames.cbegin(); it != config.memoNickNames.cend(); ++it) {
        if (it.key() == ownMac)
            continue;
        doc.AddElement(QStringLiteral("UserName"));
        doc.SetAttribute(QStringLiteral("MAC"), it.key());
        doc.SetAttribute(QStringLiteral("NickName"), it.value());
        const auto info = config.memoUsesInfos.constFind(it.key());
        if (info == config.memoUsesInfos.cend())
            continue;
        const QStringList parts = info.value().split(kFieldSeparator);
        for (int i = 0; i < int(std::size(kInfoNames)) && i < parts.size(); ++i)
            doc.SetAttribute(QString::fromLatin1(kInfoNames[i]), parts[i]);
    }
    doc.LeaveElement();
    return doc;
}

ImportResult Import(CXmlDocument &doc, CConfig &config, Mode mode, const QString &ownMac)
{
    ImportResult result;
    doc.ResetPos();
    if (doc.FindElement(QStringLiteral("MemoGroups"))) {
        result.hadGroups = true;
        doc.EnterElement();
        while (doc.FindElement(QStringLiteral("UserGroup"))) {
            const QString mac = doc.GetCurrentAttribute(QStringLiteral("MAC"));
            const QString group = doc.GetCurrentAttribute(QStringLiteral("GroupName"));
            if (!usableEntry(mac, group) || group.isEmpty() || mac == ownMac || group == DefaultGroups::Self())
                continue;
            if (mode == Mode::Append) {
                const auto existing = config.memoGroupNames.constFind(mac);
                if (existing != config.memoGroupNames.cend() && existing.value() != DefaultGroups::MyFriends())
                    continue;
            }
            if (config.FindMemberGroup(group) < 0)
                addGroup(config, group, result);
            config.memoGroupNames.insert(mac, group);
            result.changed = true;
        }
        doc.LeaveElement();
    }
    doc.ResetPos();
    if (doc.FindElement(QStringLiteral("memoNickNames"))) {
        doc.EnterElement();
        while (doc.FindElement(QStringLiteral("UserName"))) {
            const QString mac = doc.GetCurrentAttribute(QStringLiteral("MAC"));
            const QString name = doc.GetCurrentAttribute(QStringLiteral("NickName"));
            if (!usableEntry(mac, name) || mac == ownMac)
                continue;
            if (!name.isEmpty() && !config.memoNickNames.contains(mac)) {
                config.memoNickNames.insert(mac, name);
                result.changed = true;
            }
            if (mode == Mode::Append && config.memoUsesInfos.contains(mac))
                continue;
            QStringList fields;
            for (const char *attribute : kInfoNames)
                fields.append(doc.GetCurrentAttribute(QString::fromLatin1(attribute)));
            const QString info = JoinInfo(fields);
            if (!info.isEmpty() && config.memoUsesInfos.value(mac) != info) {
                config.memoUsesInfos.insert(mac, info);
                result.changed = true; // saved like the names
            }
        }
        doc.LeaveElement();
    }
    return result;
}

Kept::Kept(const CConfig &config)
    : m_groups(config.MemberGroups)
    , m_groupNames(config.memoGroupNames)
    , m_nickNames(config.memoNickNames)
    , m_infos(config.memoUsesInfos)
{
}

void Kept::PutBack(CConfig &config) const
{
    config.MemberGroups = m_groups;
    config.RebuildGroupIndex();
    config.memoGroupNames = m_groupNames;
    config.memoNickNames = m_nickNames;
    config.memoUsesInfos = m_infos;
}

} // namespace GroupFile
