#include "chat/ChatFontQt.h"

#include "core/FaceNames.h"

#include <QTextCursor>
#include <QTextEdit>

#include "core/Gbk.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace {

bool isInstalled(const QString &family)
{
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

QString cjkFamily()
{
    static const QString found = [] {
        for (const QString &family : FaceNames::CjkFamilies()) {
            if (isInstalled(family))
                return family;
        }
        return QString();
    }();
    return found;
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
    if (isInstalled(faceName))
        return faceName;
    if (FaceNames::IsWindowsChineseFace(faceName) && !cjkFamily().isEmpty())
        return cjkFamily();
    // A family of ours that travelled without its blanks.
    const QString family = FaceNames::FamilyWithoutBlanks(faceName, QFontDatabase::families());
    return family.isEmpty() ? faceName : family;
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
