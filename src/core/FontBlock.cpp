#include "core/FontBlock.h"

#include "core/FaceNames.h"
#include "core/Gbk.h"

#include <QStringList>

namespace {

const QLatin1String kOpen("{/font;");
const QLatin1String kEnd(";}\n");
constexpr int kNumberFields = 13;

// "%d" into a 32-bit field: the C scanner's wrap-around for values that do
// not fit, nothing for text that is not a number.
std::optional<int32_t> scanInt(const QString &word)
{
    bool ok = false;
    const qlonglong v = word.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return int32_t(uint32_t(quint64(v)));
}

} // namespace

QString FormatFontPrefix(const ChatFont &f)
{
    // Joined, not substituted: a face name may hold a '%'.
    const QStringList fields { QString::number(f.height), QString::number(f.width), QString::number(f.escapement),
        QString::number(f.orientation), QString::number(f.weight), QString::number(f.italic),
        QString::number(f.underline), QString::number(f.strikeOut), QString::number(f.charSet),
        QString::number(f.outPrecision), QString::number(f.clipPrecision), QString::number(f.quality),
        QString::number(f.pitchAndFamily), FaceNames::WireFaceName(f.faceName), QString::number(int32_t(f.color)) };
    return kOpen + fields.join(QLatin1Char(' ')) + QLatin1String(";}");
}

ChatFont ParseFontPrefix(QString &text)
{
    ChatFont font = ChatFont::standard();
    if (!text.endsWith(kEnd))
        return font;
    // The block is the last one: an earlier "{/font;" that the user typed
    // stays part of the message.
    const qsizetype open = text.lastIndexOf(kOpen);
    if (open < 0)
        return font;
    const QString inner = text.mid(open + kOpen.size(), text.size() - kEnd.size() - open - kOpen.size());
    const QStringList words = inner.split(QLatin1Char(' '));

    int32_t numbers[kNumberFields];
    const ChatFont standard = ChatFont::standard();
    const int32_t defaults[kNumberFields] = {standard.height, standard.width, standard.escapement,
        standard.orientation, standard.weight, standard.italic, standard.underline, standard.strikeOut,
        standard.charSet, standard.outPrecision, standard.clipPrecision, standard.quality, standard.pitchAndFamily};
    int scanned = 0;
    for (; scanned < kNumberFields && scanned < words.size(); ++scanned) {
        const auto v = scanInt(words[scanned]);
        if (!v)
            break;
        numbers[scanned] = *v;
    }
    for (int i = scanned; i < kNumberFields; ++i)
        numbers[i] = defaults[i];
    font.height = numbers[0];
    font.width = numbers[1];
    font.escapement = numbers[2];
    font.orientation = numbers[3];
    font.weight = numbers[4];
    font.italic = uint8_t(numbers[5]);
    font.underline = uint8_t(numbers[6]);
    font.strikeOut = uint8_t(numbers[7]);
    font.charSet = uint8_t(numbers[8]);
    font.outPrecision = uint8_t(numbers[9]);
    font.clipPrecision = uint8_t(numbers[10]);
    font.quality = uint8_t(numbers[11]);
    font.pitchAndFamily = uint8_t(numbers[12]);
    if (scanned == kNumberFields && words.size() > kNumberFields) {
        // The face name may hold blanks ("Courier New"): it is everything
        // between the numbers and the colour, which is the last word.
        const bool hasColor = words.size() > kNumberFields + 1 && scanInt(words.last()).has_value();
        const QStringList face = words.mid(kNumberFields, words.size() - kNumberFields - (hasColor ? 1 : 0));
        font.faceName = Gbk::truncate(face.join(QLatin1Char(' ')), ChatFont::FaceNameBytes - 1);
        if (hasColor)
            font.color = uint32_t(*scanInt(words.last()));
    }
    text = text.left(open) + QLatin1Char('\n');
    return font;
}
