#include "core/FaceNames.h"

#include "core/ChatFont.h"
#include "core/Gbk.h"

namespace FaceNames {

namespace {

// Chinese faces of Windows systems that have no namesake here.
const char16_t *const kWindowsChineseFaces[] = { u"宋体", u"新宋体", u"SimSun", u"NSimSun", u"黑体", u"SimHei",
    u"微软雅黑", u"Microsoft YaHei", u"楷体_GB2312", u"楷体", u"仿宋_GB2312", u"仿宋", u"隶书", u"幼圆" };

struct FacePair
{
    const char16_t *family; // as installed here
    const char16_t *windowsFace; // the Windows face with the same look, one word
    bool cjk; // draws the Chinese Windows faces here (rows in order of preference)
};

const FacePair kPairs[] = {
    { u"WenQuanYi Micro Hei", u"微软雅黑", true },
    { u"Noto Sans CJK SC", u"微软雅黑", true },
    { u"Noto Serif CJK SC", u"宋体", true },
    { u"WenQuanYi Zen Hei", u"黑体", true },
    { u"AR PL UMing CN", u"宋体", true },
    { u"Droid Sans Fallback", u"黑体", true },
    { u"AR PL UKai CN", u"楷体", false },
    { u"Microsoft YaHei", u"微软雅黑", false },
    // Families with the metrics of the Windows faces.
    { u"Liberation Sans", u"Arial", false },
    { u"Arimo", u"Arial", false },
    { u"Carlito", u"Calibri", false },
    { u"Caladea", u"Cambria", false },
};

QString withoutBlanks(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (!c.isSpace())
            out += c;
    return out;
}

} // namespace

bool IsWindowsChineseFace(const QString &face)
{
    for (const char16_t *f : kWindowsChineseFaces)
        if (face.compare(QString::fromUtf16(f), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

const QStringList &CjkFamilies()
{
    static const QStringList families = [] {
        QStringList out;
        for (const FacePair &p : kPairs)
            if (p.cjk)
                out << QString::fromUtf16(p.family);
        return out;
    }();
    return families;
}

QString WireFaceName(const QString &face)
{
    for (const FacePair &p : kPairs)
        if (face.compare(QString::fromUtf16(p.family), Qt::CaseInsensitive) == 0)
            return QString::fromUtf16(p.windowsFace);
    const QString word = Gbk::truncate(withoutBlanks(face), ChatFont::FaceNameBytes - 1);
    return word.isEmpty() ? ChatFont::standard().faceName : word;
}

QString FamilyWithoutBlanks(const QString &face, const QStringList &installed)
{
    if (face.isEmpty() || face.contains(QLatin1Char(' ')))
        return QString();
    for (const QString &family : installed)
        if (family.contains(QLatin1Char(' ')) && withoutBlanks(family).compare(face, Qt::CaseInsensitive) == 0)
            return family;
    return QString();
}

} // namespace FaceNames
