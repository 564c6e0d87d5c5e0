#include "chat/ChatFontQt.h"

#include <QTextCursor>
#include <QTextEdit>

#include "core/Gbk.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace {

// Faces of Chinese Windows systems that have no namesake here.
const char16_t *const kWindowsChineseFaces[] = {u"宋体", u"新宋体", u"SimSun", u"NSimSun", u"黑体", u"SimHei",
    u"微软雅黑", u"Microsoft YaHei", u"楷体_GB2312", u"楷体", u"仿宋_GB2312", u"仿宋", u"隶书", u"幼圆"};
// The installed families that draw them, best first.
const char16_t *const kCjkFamilies[] = {u"WenQuanYi Micro Hei", u"Noto Sans CJK SC", u"Noto Serif CJK SC",
    u"WenQuanYi Zen Hei", u"AR PL UMing CN", u"Droid Sans Fallback"};

bool isInstalled(const QString &family)
{
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

QString cjkFamily()
{
    static const QString found = [] {
        for (const char16_t *f : kCjkFamilies) {
            const QString family = QString::fromUtf16(f);
            if (isInstalled(family))
                return family;
        }
        return QString();
    }();
    return found;
}

bool isWindowsChineseFace(const QString &face)
{
    for (const char16_t *f : kWindowsChineseFaces) {
        if (face.compare(QString::fromUtf16(f), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

QColor ChatColor(uint32_t ref)
{
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

uint32_t ChatColorRef(const QColor &color)
{
    return uint32_t(color.red()) | (uint32_t(color.green()) << 8) | (uint32_t(color.blue()) << 16);
}

QString InstalledFamilyFor(const QString &faceName)
{
    if (isWindowsChineseFace(faceName) && !isInstalled(faceName) && !cjkFamily().isEmpty())
        return cjkFamily();
    return faceName;
}

QString ChatFaceNameFor(const QString &family)
{
    if (!family.isEmpty() && family.compare(InstalledFamilyFor(ChatFont::standard().faceName), Qt::CaseInsensitive) == 0)
        return ChatFont::standard().faceName;
    return Gbk::truncate(family, ChatFont::FaceNameBytes - 1);
}

QFont ChatQFont(const ChatFont &font)
{
    QFont out;
    out.setFamilies({InstalledFamilyFor(font.faceName), cjkFamily()});
    const int pixels = font.height == 0 ? 14 : std::abs(font.height);
    out.setPixelSize(std::clamp(pixels, 1, 400));
    out.setBold(font.weight >= 700);
    out.setItalic(font.italic != 0);
    out.setUnderline(font.underline != 0);
    out.setStrikeOut(font.strikeOut != 0);
    return out;
}

ChatFont ChatFontFromQt(const QFont &font, const QColor &color, const ChatFont &base)
{
    ChatFont out = base;
    int pixels = font.pixelSize();
    if (pixels <= 0)
        pixels = QFontInfo(font).pixelSize();
    out.height = -std::max(pixels, 1);
    if (font.bold() != (base.weight >= 700))
        out.weight = font.bold() ? 700 : 400;
    out.italic = font.italic() ? 1 : 0;
    out.underline = font.underline() ? 1 : 0;
    out.strikeOut = font.strikeOut() ? 1 : 0;
    out.faceName = ChatFaceNameFor(font.family());
    out.color = ChatColorRef(color);
    return out;
}

QTextCharFormat ChatCharFormat(const ChatFont &font)
{
    QTextCharFormat format;
    format.setFont(ChatQFont(font), QTextCharFormat::FontPropertiesAll);
    format.setForeground(ChatColor(font.color));
    return format;
}

void ApplyChatFont(QTextEdit *edit, const ChatFont &font)
{
    const QTextCharFormat format = ChatCharFormat(font);
    edit->setFont(ChatQFont(font));
    QTextCursor all(edit->document());
    all.select(QTextCursor::Document);
    all.mergeCharFormat(format);
    edit->setCurrentCharFormat(format);
}
