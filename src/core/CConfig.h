// The one configuration object: every option, colour, text, list and map of
// the program, loaded from the settings store (CRegistryKey) and saved
// section by section under a bit mask. docs/config-values.md lists every
// value with its section, default and limits.
#pragma once

#include "core/ChatFont.h"
#include "core/ConfigRecords.h"
#include "core/StatusBits.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>

class CRegistryKey;
class QTimer;

// Sections of CConfig::Save.
enum ConfigSection : uint32_t {
    CFG_GENERAL = 0x01, // options, colours, texts, quick replies, shares, away state, user groups, memo maps
    CFG_WINDOW = 0x02, // main window position, size and dock side
    // 0x04 is kept for the group chats, which the group-chat store saves
    CFG_CHATFONT = 0x08, // the chat font
    CFG_BROADCAST = 0x10, // the other-subnet broadcast addresses ("BROADCAST_STR")
    CFG_RECENT = 0x20, // the recent contacts ("LASTPERSON_STR")
    CFG_SPAMRULES = 0x40, // the spam rules ("SPAMRULE_STR")
    CFG_IPMAC = 0x80, // the IPv4-to-MAC map ("IPMAC_STR")
    CFG_ALL = CFG_GENERAL | CFG_WINDOW | CFG_CHATFONT | CFG_BROADCAST | CFG_RECENT | CFG_SPAMRULES | CFG_IPMAC,
};

class CConfig
{
public:
    static constexpr int QuickReplyCount = 4;
    static constexpr int QuickReplyBytes = 128;
    static constexpr int AwayModeCount = 8;
    static constexpr int AwayNameBytes = 50;
    static constexpr int FileShareInfoBytes = 16384;
    static constexpr int FileSharePwdBytes = 50;
    static constexpr int BroadcastEntryBytes = 200;
    static constexpr int RecentEntryBytes = 1024;
    // Recent contacts kept, newest first (the ten the menus show): older
    // ones are dropped, also from a stored list that holds more.
    static constexpr qsizetype RecentContactsKept = 10;
    static constexpr int MemoTextBytes = 1024;
    static constexpr int ScheduledSaveDelayMs = 500;

    // An empty path uses the user's store ("TARPELON", "Kwel"); tests and
    // tools pass the path of a settings file.
    explicit CConfig(const QString &storePath = QString());
    ~CConfig();
    CConfig(const CConfig &) = delete;
    CConfig &operator=(const CConfig &) = delete;

    QString StorePath() const;
    // What the user is told when a save failed: the failure, then
    // "设置文件不能写入:" and the settings file's path on a line of its own.
    QString UnwritableText(const QString &failure) const;
    static QString DefaultWorkDir();

    // Every value back to its default (nothing is written).
    void ResetToDefaults();
    // Reads every section again. Missing values take their defaults, values
    // outside their limits the value the limits name. False when the store
    // could not be read (the values are then the defaults as far as unread).
    bool Load();
    // Writes the sections of the mask. Without force a section whose values
    // did not change since the last load or save is not written again; with
    // schedule the write is put off for ScheduledSaveDelayMs and merged with
    // other scheduled sections (the result is then true). False when the store
    // could not be written; the values stay as they are and a later save
    // writes them.
    bool Save(uint32_t mask, bool force = false, bool schedule = false);
    // Writes the scheduled sections now.
    bool FlushScheduledSave();
    uint32_t PendingSaveMask() const { return m_pendingMask; }

    // ---- user groups ----
    void RebuildGroupIndex();
    // Position of the group in MemberGroups, -1 when there is none.
    int FindMemberGroup(const QString &name) const;
    // The key text of a recent-contacts entry: the part after its last "(",
    // without brackets, when that is a 17-character dashed MAC address.
    static std::optional<QString> RecentKeyFromText(const QString &text);

    // ---- main panel and start-up ----
    int modifiers, virtualcode;
    int StartRun, StartAutoMin, DbClickAutoMin, AutoMemMin, AutoHideWnd, HideMode;
    int WndLeft, WndTop, WndWidth, WndHeight, WndTopMost;
    int AutoCheckVersion, ChatShowWeb, ShowBbsBar, GdiPlusTip, LButtonIconOpen, LOGCHECK_STR;
    int AutoReply;
    QString StrReply;
    int IPMsgCompatible, AllBlackList, ScreenShake, DialUp;
    QString ICON_STR, REVICON_STR, ICONNOVISIBLE_STR, MSGICON_STR;
    int KwelPortNo;
    QString MulticastIP;
    QStringList BroadcastList; // "BROADCAST_STR"
    // The maker's pages: the upgrade page and the notice page (each tried
    // in turn), the web pane's news summary, the download page.
    QString UpgradePageURL1, UpgradePageURL2, NoticePageURL1, NoticePageURL2, NewsPageURL, DownloadPageURL;
    QString ForumSearchURL; // the forum's query prefix; the search text follows it
    QString HelpPageURL; // "联机帮助"

    // ---- appearance ----
    int MainOpacity, ChatOpacity, MsgOpacity, OtherOpacity;
    uint32_t MainBarFrameColor, MainBarLeftTopColor, MainBarRightBtmColor, MainBarRightBtm2Color;
    int SkinWeekChange;
    uint32_t ChatBkColor1, ChatBkColor2, ChatMsgWndFrameClr, ChatFontColor;
    int TreeBkStyle, TreeDefaultPic, TreeBmpStretch, TreeGradMode;
    QString TreeBmpPath;
    uint32_t TreeGradClr1, TreeGradClr2, TreeFillClr, TreeSelFrameClr, TreeSelFillClr;
    uint32_t TreeNickClr, TreeHostClr, TreeSignClr, TreeIPClr, TreeTypeClr, TreeObjectGroupClr, TreeUserClr,
        TreeGroupClr;

    // ---- contact list ----
    int MembersShowMode, SORT_STR, MyFriendsAutoGroup, NoTice, NoTice2, AutoWidth;
    int LargeImage, LargeTreeImage, FaceImage, SmallIconSelShowLarge, ShowSearchWebBar, NoShowHostIfMemo;
    int MutiLargeImage;
    int SENDNICKNAME_STR, SENDHOSTNAME_STR, SENDUSERNAME_STR, SENDGROUPNAME_STR, SENDTYPENAME_STR, SENDIPADDR_STR;
    QString TreeStryleLargeIcon1_STR, TreeStryleLargeIcon2_STR, TreeStryleSmallIcon_STR, ListColStryle_STR,
        GetMacStryle_STR;
    QString GROUPNAMESTR_STR, NICKNAMESTR_STR;
    uint32_t StatusValue;

    // ---- per-group system settings (used while a group's custom switch is off) ----
    int StopRubbish, NOPOPUPCHECK_STR, FilePopup, NOBEEP_STR;
    QString SOUNDFILE_STR, NOTICESOUNDFILE_STR;

    // ---- lists and maps ----
    QList<UserGroupRecord> MemberGroups;
    QHash<QString, int> MemberGroupIndex; // group name -> position in MemberGroups
    QMap<QString, QString> ObjectGroupStatus; // peer-group node name -> "1" when collapsed
    QMap<QString, QString> memoGroupNames; // peer key -> custom group
    QMap<QString, QString> memoNickNames; // peer key -> memo name
    QMap<QString, QString> memoUsesInfos; // peer key -> six fields, each followed by "#~$#"
    QMap<uint32_t, QString> IpToMac; // IPv4 address (host order) -> MAC text
    QStringList LastPersonTexts, LastPersonKeys; // recent contacts, newest first
    int AwayState, AwayFlag, AwayIndex;
    std::array<QString, AwayModeCount> AwayNames;
    QList<SpamRuleRecord> SpamRules;
    QString FileShareInfo;
    int FileShareNo;
    QByteArray FileSharePwd; // scrambled, as ScramblePassword writes it
    QString WorkDir;

    // ---- chat windows, pictures and files ----
    ChatFont chatFont;
    std::array<QString, QuickReplyCount> QuickReplies;
    int SendMsgEnter, ShowInputStatus, CaptureSrnShowWnd, SingleChatCloseWnd, MutiChatCloseWnd;
    int CloseClearContent, CloseDialogDeleteRes, SendOpenMsg;
    int ENCRYPTNUM_STR, RETRYMSEC_STR, RETRYMAX_STR, RECVTRANSMAX_STR, TCPBUFMAX_STR;
    QString LASTOPEN_STR;
    int SendBmpZip, BmpUdpSendSize, BmpUdpTrys, QunNoRecvBmp;
    int RequestReadNotice; // not stored

    // What one section writes: root values and list sections.
    struct SectionImage
    {
        QList<QPair<QString, QVariant>> values;
        QList<QPair<QString, QStringList>> lists;
        bool operator==(const SectionImage &) const = default;
    };
    SectionImage BuildSectionImage(uint32_t bit) const;

private:
    void loadScalars(const CRegistryKey &key);
    void loadLists(const CRegistryKey &key);
    void normalizeGroups();
    bool writeSections(uint32_t mask, bool force);

    QString m_storePath;
    std::map<uint32_t, SectionImage> m_written;
    uint32_t m_pendingMask = 0;
    std::unique_ptr<QTimer> m_timer;
    bool m_recentOverflowed = false; // the stored recent contacts held more than are kept
};
