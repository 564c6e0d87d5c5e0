#include "core/ConfigValues.h"

#include "core/Gbk.h"

namespace ConfigValues {

namespace {

constexpr uint32_t G = CFG_GENERAL;
constexpr uint32_t W = CFG_WINDOW;
constexpr int kMaxInt = 0x7FFFFFFF;
constexpr int kMinInt = -kMaxInt - 1;
constexpr int kMiB16 = 16 * 1024 * 1024;
constexpr uint32_t kColor = 0xFFFFFF;

// clang-format off
#define KW_INT(n, s, d, lo, hi) {#n, s, &CConfig::n, d, lo, hi}
#define KW_FLAG(n, d) {#n, G, &CConfig::n, d, kMinInt, kMaxInt}
#define KW_COLOR(n, d) {#n, G, &CConfig::n, d, kColor}
// clang-format on

const Int kInts[] = {
    // main panel and start-up
    KW_INT(modifiers, G, 6, 0, 0xFFFF),
    KW_INT(virtualcode, G, 0x58, 0, 0xFFFF),
    KW_FLAG(StartRun, 0),
    KW_FLAG(StartAutoMin, 1),
    KW_FLAG(DbClickAutoMin, 0),
    KW_FLAG(AutoMemMin, 1),
    KW_FLAG(AutoHideWnd, 0),
    KW_INT(HideMode, W, 0, 0, 4),
    KW_INT(WndLeft, W, -1, -32768, 32767),
    KW_INT(WndTop, W, -1, -32768, 32767),
    KW_INT(WndWidth, W, -1, -1, 32767),
    KW_INT(WndHeight, W, -1, -1, 32767),
    KW_FLAG(WndTopMost, 0),
    KW_FLAG(AutoCheckVersion, 1),
    KW_FLAG(ChatShowWeb, 0),
    KW_FLAG(ShowBbsBar, 0),
    KW_FLAG(GdiPlusTip, 0),
    KW_FLAG(LButtonIconOpen, 1),
    KW_FLAG(LOGCHECK_STR, 1),
    KW_FLAG(AutoReply, 0),
    KW_FLAG(IPMsgCompatible, 1),
    KW_FLAG(AllBlackList, 0),
    KW_FLAG(ScreenShake, 1),
    KW_FLAG(DialUp, 0),
    KW_INT(KwelPortNo, G, 2425, 1024, 49150),
    // appearance
    KW_INT(MainOpacity, G, 0, 0, 100),
    KW_INT(ChatOpacity, G, 0, 0, 100),
    KW_INT(MsgOpacity, G, 0, 0, 100),
    KW_INT(OtherOpacity, G, 0, 0, 100),
    KW_FLAG(SkinWeekChange, 0),
    KW_INT(TreeBkStyle, G, 1, 0, 3),
    KW_FLAG(TreeDefaultPic, 1),
    KW_FLAG(TreeBmpStretch, 0),
    KW_INT(TreeGradMode, G, 1, 0, 2),
    // contact list
    KW_FLAG(MembersShowMode, 1),
    KW_INT(SORT_STR, G, 0, 0, 0xFFFF),
    KW_FLAG(MyFriendsAutoGroup, 1),
    KW_FLAG(NoTice, 1),
    KW_FLAG(NoTice2, 1),
    KW_FLAG(AutoWidth, 0),
    KW_FLAG(LargeImage, 0),
    KW_FLAG(LargeTreeImage, 0),
    KW_INT(FaceImage, G, 0, 0, 82),
    KW_FLAG(SmallIconSelShowLarge, 1),
    KW_FLAG(ShowSearchWebBar, 1),
    KW_FLAG(NoShowHostIfMemo, 1),
    KW_FLAG(MutiLargeImage, 0),
    // The six list columns at their titles and usual texts: together they
    // fit the multi-user window's member list, address included.
    KW_INT(SENDNICKNAME_STR, G, 70, 0, 2000),
    KW_INT(SENDHOSTNAME_STR, G, 80, 0, 2000),
    KW_INT(SENDUSERNAME_STR, G, 60, 0, 2000),
    KW_INT(SENDGROUPNAME_STR, G, 60, 0, 2000),
    KW_INT(SENDTYPENAME_STR, G, 70, 0, 2000),
    KW_INT(SENDIPADDR_STR, G, 100, 0, 2000),
    // per-group system settings
    KW_FLAG(StopRubbish, 1),
    KW_FLAG(NOPOPUPCHECK_STR, 1),
    KW_FLAG(FilePopup, 0),
    KW_FLAG(NOBEEP_STR, 0),
    // away state and shares
    KW_INT(AwayState, G, 0, 0, 8),
    KW_FLAG(AwayFlag, 0),
    KW_INT(AwayIndex, G, 0, 0, 7),
    KW_INT(FileShareNo, G, 0, 0, kMaxInt),
    // chat windows, pictures and files
    KW_FLAG(SendMsgEnter, 1),
    KW_FLAG(ShowInputStatus, 1),
    KW_FLAG(CaptureSrnShowWnd, 1),
    KW_FLAG(SingleChatCloseWnd, 0),
    KW_FLAG(MutiChatCloseWnd, 0),
    KW_FLAG(CloseClearContent, 0),
    KW_FLAG(CloseDialogDeleteRes, 1),
    KW_FLAG(SendOpenMsg, 1),
    KW_INT(ENCRYPTNUM_STR, G, 10, 0, 10000),
    KW_INT(RETRYMSEC_STR, G, 1500, 100, 60000),
    KW_INT(RETRYMAX_STR, G, 3, 0, 100),
    KW_INT(RECVTRANSMAX_STR, G, 65536, 8, kMiB16),
    KW_INT(TCPBUFMAX_STR, G, 65536, 1024, kMiB16),
    KW_FLAG(SendBmpZip, 1),
    KW_INT(BmpUdpSendSize, G, 512, 218, 65536),
    KW_INT(BmpUdpTrys, G, 10, 0, 15),
    KW_FLAG(QunNoRecvBmp, 0),
};

const Word kWords[] = {
    { "StatusValue", G, &CConfig::StatusValue, 0, 0xFFFFFFFFu },
    KW_COLOR(MainBarFrameColor, 0xE99494),
    KW_COLOR(MainBarLeftTopColor, 0xFFE8E8),
    KW_COLOR(MainBarRightBtmColor, 0xFFD3D3),
    KW_COLOR(MainBarRightBtm2Color, 0xFFD3D3),
    KW_COLOR(ChatBkColor1, 0xFFE8E8),
    KW_COLOR(ChatBkColor2, 0xFFD3D3),
    KW_COLOR(ChatMsgWndFrameClr, 0xE99494),
    KW_COLOR(ChatFontColor, 0x933E1E),
    KW_COLOR(TreeGradClr1, 0xFFFFFF),
    KW_COLOR(TreeGradClr2, 0xF8EBC4),
    KW_COLOR(TreeFillClr, 0xFFA080),
    KW_COLOR(TreeSelFrameClr, 0xC6A88B),
    KW_COLOR(TreeSelFillClr, 0xFEE9CE),
    KW_COLOR(TreeNickClr, 0x000000),
    KW_COLOR(TreeHostClr, 0xFF0000),
    KW_COLOR(TreeSignClr, 0x808080),
    KW_COLOR(TreeIPClr, 0x0000FF),
    KW_COLOR(TreeTypeClr, 0xFF0000),
    KW_COLOR(TreeObjectGroupClr, 0xA27A00),
    KW_COLOR(TreeUserClr, 0x404000),
    KW_COLOR(TreeGroupClr, 0x400040),
};

// clang-format off
#define KW_TEXT(n, d, bytes, kind) {#n, G, &CConfig::n, d, bytes, TextKind::kind}
// clang-format on

// The maker's site is part of the build (KWEL_SITE_URL); without one the
// page addresses are empty until the settings file names them.
#ifndef KWEL_SITE_URL
#define KWEL_SITE_URL ""
#endif
#define KW_SITE_PAGE(page) (sizeof(KWEL_SITE_URL) > 1 ? KWEL_SITE_URL page : "")

const Text kTexts[] = {
    KW_TEXT(StrReply, "", 1024, Text),
    KW_TEXT(ICON_STR, "", 260, Path),
    KW_TEXT(REVICON_STR, "", 260, Path),
    KW_TEXT(ICONNOVISIBLE_STR, "", 260, Path),
    KW_TEXT(MSGICON_STR, "", 260, Path),
    KW_TEXT(MulticastIP, "226.81.9.8", 16, Address),
    KW_TEXT(TreeBmpPath, "", 260, Path),
    KW_TEXT(TreeStryleLargeIcon1_STR, "13", 32, Text),
    KW_TEXT(TreeStryleLargeIcon2_STR, "64", 32, Text),
    KW_TEXT(TreeStryleSmallIcon_STR, "1364", 32, Text),
    KW_TEXT(ListColStryle_STR, "123456", 32, Text),
    KW_TEXT(GetMacStryle_STR, "43", 32, Text),
    KW_TEXT(GROUPNAMESTR_STR, "", 50, Text),
    KW_TEXT(NICKNAMESTR_STR, "", 50, Text),
    KW_TEXT(SOUNDFILE_STR, "", 260, Path),
    KW_TEXT(NOTICESOUNDFILE_STR, "", 260, Path),
    KW_TEXT(FileShareInfo, "", CConfig::FileShareInfoBytes, Entries),
    KW_TEXT(WorkDir, "", 1024, Path),
    KW_TEXT(LASTOPEN_STR, "", 260, Path),
    KW_TEXT(UpgradePageURL1, KW_SITE_PAGE("/kwel/upgrade.htm"), 1024, Path),
    KW_TEXT(UpgradePageURL2, KW_SITE_PAGE("/kwel/upgrade2.htm"), 1024, Path),
    KW_TEXT(NoticePageURL1, KW_SITE_PAGE("/kwel/notice.htm"), 1024, Path),
    KW_TEXT(NoticePageURL2, KW_SITE_PAGE("/kwel/notice2.htm"), 1024, Path),
    KW_TEXT(NewsPageURL, KW_SITE_PAGE("/kwel/news.htm"), 1024, Path),
    KW_TEXT(DownloadPageURL, KW_SITE_PAGE("/kwel/download.htm"), 1024, Path),
    KW_TEXT(ForumSearchURL, KW_SITE_PAGE("/bbs/search.php?keyword="), 1024, Path),
    KW_TEXT(HelpPageURL, KW_SITE_PAGE("/kwel/help.htm"), 1024, Path),
};

#undef KW_INT
#undef KW_FLAG
#undef KW_COLOR
#undef KW_TEXT
#undef KW_SITE_PAGE

bool isMulticast(const QString &text)
{
    const auto v = ParseIPv4(text);
    return v && *v >= 0xE0000100u && *v <= 0xEEFFFFFFu;
}

} // namespace

std::optional<uint32_t> ParseIPv4(QStringView text)
{
    const QList<QStringView> parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return std::nullopt;
    uint32_t v = 0;
    for (QStringView p : parts) {
        if (p.isEmpty() || p.size() > 3)
            return std::nullopt;
        uint32_t n = 0;
        for (QChar c : p) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return std::nullopt;
            n = n * 10 + (c.unicode() - u'0');
        }
        if (n > 255)
            return std::nullopt;
        v = (v << 8) | n;
    }
    return v;
}

QString FormatIPv4(uint32_t address)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg(address & 0xFF);
}

std::span<const Int> ints()
{
    return kInts;
}

std::span<const Word> words()
{
    return kWords;
}

std::span<const Text> texts()
{
    return kTexts;
}

QString fitText(const Text &t, const QString &value)
{
    const qsizetype limit = t.fieldBytes - 1;
    switch (t.kind) {
    case TextKind::Text:
        return Gbk::truncate(value, limit);
    case TextKind::Path:
        return Gbk::byteLength(value) <= limit ? value : QString::fromUtf8(t.def);
    case TextKind::Address:
        return isMulticast(value) ? value : QString::fromUtf8(t.def);
    case TextKind::Entries: {
        if (Gbk::byteLength(value) <= limit)
            return value;
        QString kept;
        for (const QString &entry : value.split(QLatin1String("||"))) {
            const QString next = kept.isEmpty() ? entry : kept + QLatin1String("||") + entry;
            if (Gbk::byteLength(next) > limit)
                break;
            kept = next;
        }
        return kept;
    }
    }
    return value;
}

} // namespace ConfigValues
