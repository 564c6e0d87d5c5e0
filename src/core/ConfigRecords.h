// The records that the configuration keeps in lists: user groups and spam
// rules, and the text form in which they are stored.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

// Stored record texts join their fields with "#~$#". Inside a text field '%'
// is written "%25" and '#' "%23", so that no field can contain the separator.
namespace RecordText {
inline constexpr QLatin1StringView Separator { "#~$#" };
QString join(const QStringList &fields);
QStringList split(const QString &text);
QString escapeField(const QString &field);
QString unescapeField(const QString &field);
} // namespace RecordText

// One user group of the contact list, fields in record order.
struct UserGroupRecord
{
    static constexpr int NameBytes = 50; // field size, terminator included
    static constexpr int SoundFileBytes = 260;
    static constexpr int FieldCount = 32; // fields of the stored text

    QString name;
    // tree fields
    uint32_t collapsed = 1;
    uint32_t secondFlag = 1;
    uint32_t memberCount = 0;
    uint32_t sortWord = 0; // member sort kind = word % 8, descending = word / 8
    // rights: a custom switch decides whether the value beside it or the
    // system setting applies
    uint32_t assistCustom = 0;
    uint32_t assistAllowed = 0;
    uint32_t voiceCustom = 0;
    uint32_t voiceAllowed = 0;
    uint32_t groupInviteCustom = 0;
    uint32_t groupInviteAllowed = 0;
    uint32_t pictureCustom = 0;
    uint32_t picturesAllowed = 0;
    uint32_t sharesWithoutPassword = 0;
    uint32_t groupBlacklisted = 0;
    uint32_t onlineNoticeCustom = 0;
    uint32_t onlineNotice = 0;
    uint32_t shakeCustom = 0;
    uint32_t shakeAllowed = 0;
    uint32_t reservedWord = 0; // not set by the rights dialog
    uint32_t visibleWhenHidden = 0; // "隐身对该组成员可见"
    uint32_t offlineNoticeCustom = 0;
    uint32_t offlineNotice = 0;
    uint32_t tipOnlyCustom = 0;
    uint32_t tipOnly = 0;
    uint32_t filePopupCustom = 0;
    uint32_t filePopup = 0;
    uint32_t spamCustom = 0;
    uint32_t blockSpam = 0;
    uint32_t soundCustom = 0;
    uint32_t sound = 0;
    QString soundFile;

    int sortKind() const { return static_cast<int>(sortWord % 8); }
    bool sortDescending() const { return sortWord / 8 != 0; }

    // The 30 numeric fields in record order (collapsed .. sound).
    static constexpr int NumberCount = 30;
    static const std::array<uint32_t UserGroupRecord::*, NumberCount> Numbers;

    QString toText() const;
    // Reads a stored record text. Missing or unreadable numbers keep the
    // new-record values; nothing when the name is empty.
    static std::optional<UserGroupRecord> fromText(const QString &text);

    bool operator==(const UserGroupRecord &) const = default;
};

// A new record: empty texts, the collapsed flag and the second flag 1, every
// other field 0.
inline UserGroupRecord InitUserGroupRecord(const QString &name = QString())
{
    UserGroupRecord r;
    r.name = name;
    return r;
}

// A group the user makes, by name or in an imported group file: every field
// but the name zero, so that it starts open and the peers moved into it stay
// in sight.
inline UserGroupRecord OpenUserGroupRecord(const QString &name)
{
    UserGroupRecord r = InitUserGroupRecord(name);
    r.collapsed = 0;
    r.secondFlag = 0;
    return r;
}

// One spam rule; the rules act in list order.
struct SpamRuleRecord
{
    static constexpr int KeywordBytes = 260;
    static constexpr int ReplyBytes = 4096;

    QString keyword;
    int32_t scope = 0; // 0 all messages, 1 only multi-send, 2 only not multi-send
    int32_t matchMode = 0; // 0 equal, non-zero contains
    int32_t fileCondition = 0; // 0 any, 1 without files, 2 with files
    int32_t action = 0; // 0 block, 1 block+log, 2 block+tip, 3 block+tip+log, other: no block
    QString replyText; // empty: no automatic reply

    QString toText() const;
    // Nothing when the text has fewer than six fields or a number is unreadable.
    static std::optional<SpamRuleRecord> fromText(const QString &text);

    bool operator==(const SpamRuleRecord &) const = default;
};
