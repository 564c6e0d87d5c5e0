// The user-group file: the peers' user groups and memo names (with their
// memo details) as an XML document, so that a contact organisation moves
// between computers. Written in GBK ("gb2312"):
//
//   <?xml version="1.0" encoding="gb2312" ?>
//   <MemoGroups>
//       <UserGroup MAC="..." GroupName="..." />
//   </MemoGroups>
//   <memoNickNames>
//       <UserName MAC="..." NickName="..." OfficeTel="..." ... />
//   </memoNickNames>
//
// Widget-free; the panel asks for the file and tells the outcome.
#pragma once

#include "core/ConfigRecords.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

class CConfig;
class CXmlDocument;

namespace GroupFile {

inline constexpr int kExportCommand = 33139;
inline constexpr int kImportCommand = 33140;

// The separator of stored record fields; each memo detail is followed by it.
inline const QString kFieldSeparator = QStringLiteral("#~$#");
// The six memo details in their stored order.
inline constexpr const char *kInfoNames[] = {"OfficeTel", "HomeTel", "CellPhone", "Email", "Address", "Others"};

// The document of the configuration's maps. Left out: peers in the group
// "自己" or in no named group, and the user's own memo name.
CXmlDocument Export(const CConfig &config, const QString &ownMac);

enum class Mode { Replace, Append };

struct ImportResult
{
    bool hadGroups = false; // the file has a top-level MemoGroups
    bool changed = false; // a group assignment, memo name or memo details were taken
    QStringList newGroups; // user groups made for the file's group names
};

// Takes the file's assignments and memo names into the configuration:
// - an entry needs a 12-character MAC and a name shorter than 50 GBK bytes;
// - the user's own MAC is never taken;
// - Append keeps a peer's existing group unless it is "我的好友", and
//   existing memo details;
// - an existing memo name is never replaced;
// - a group name that is not a user group yet becomes a new one.
ImportResult Import(CXmlDocument &document, CConfig &config, Mode mode, const QString &ownMac);

// What an import changes in the configuration, kept to be put back when the
// imported state cannot be stored.
class Kept
{
public:
    explicit Kept(const CConfig &config);
    void PutBack(CConfig &config) const;

private:
    QList<UserGroupRecord> m_groups;
    QMap<QString, QString> m_groupNames, m_nickNames, m_infos;
};

// "a#~$#b#~$#" from the six details: each trimmed, any separator inside one
// removed so that the fields cannot shift; empty when all six are empty.
QString JoinInfo(const QStringList &fields);

} // namespace GroupFile
