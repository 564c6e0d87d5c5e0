#include "core/FaceShortcuts.h"

#include "core/MessageMarkers.h"

// clang-format off
const std::array<QStringView, kFaceTableSize> FaceShortcutTable = {
    u"/:)", u"/:~", u"/:*", u"/:|", u"/8-)", u"/:<", u"/:$", u"/:X", u"/:Z", u"/:'(", u"/:-|", u"/:@", u"/:P",
    u"/:D", u"/:O", u"/<!!>", u"/:(", u"/:+", u"/:#", u"/:Q", u"/:T", u"/;P", u"/;-D", u"/;d", u"/;o", u"/:g",
    u"/|-)", u"/:!", u"/:L", u"/:>", u"/;bin", u"/<~>", u"/;fd", u"/:-S", u"/;?", u"/;x", u"/;@", u"/:8",
    u"/;!", u"/!!!", u"/:xx", u"/:bye", u"/;go", u"/:shake", u"/:love", u"/:jump", u"/:find", u"/:xuere",
    u"/:mm", u"/:pig", u"/:cat", u"/:dog", u"/:hug", u"/;$$", u"/;(!)", u"/:cup", u"/:cake", u"/:shd",
    u"/:bomb", u"/:dao", u"/:footb", u"/:music", u"/:shit", u"/;<*>", u"/:coffee", u"/:eat", u"/:pill",
    u"/:rose", u"/:fade", u"/:kiss", u"/:heart", u"/:break", u"/:meeting", u"/;gift", u"/:phone", u"/:time",
    u"/:mail", u"/:tv", u"/:sun", u"/nv", u"/:moon", u"/:strong", u"/;weak", u"/:share", u"/:shl", u"/:dd",
    u"/:mn", u"/:hl", u"/:mamao", u"/<Q>", u"/:fw", u"/:oh", u"/:bj", u"/:qsh", u"/:xig", u"/nan", u"/<V>",
    u"/<RB>", u"/<NF>",
};

const std::array<QStringView, kFaceTableSize> FaceTipTable = {
    u"微笑 /:)", u"撇嘴 /:~", u"色 /:*", u"发呆 /:|", u"得意 /8-)", u"流泪 /:<", u"害羞 /:$", u"闭嘴 /:X", u"困 /:Z",
    u"大哭 /:'(", u"尴尬 /:-|", u"发怒 /:@", u"调皮 /:P", u"呲牙 /:D", u"惊讶 /:O", u"下雨 /<!!>", u"难过 /:(", u"酷 /:+",
    u"非典 /:#", u"抓狂 /:Q", u"吐 /:T", u"偷笑 /;P", u"可爱 /;-D", u"白眼 /;d", u"傲慢 /;o", u"饥饿 /:g", u"困 /|-)",
    u"惊恐 /:!", u"流汗 /:L", u"憨笑 /:>", u"大兵 /;bin", u"多云 /<~>", u"奋斗 /;fd", u"咒骂 /:-S", u"疑问 /;?", u"嘘... /;x",
    u"晕 /;@", u"折磨 /:8", u"衰 /;!", u"骷髅 /!!!", u"敲打 /:xx", u"再见 /:bye", u"闪人 /;go", u"发抖 /:shake",
    u"爱情 /:love", u"跳 /:jump", u"找 /:find", u"雪人 /:xuere", u"美眉 /:mm", u"猪头 /:pig", u"猫咪 /:cat", u"小狗 /:dog",
    u"拥抱 /:hug", u"钱 /;$$", u"灯泡 /;(!)", u"酒杯 /:cup", u"蛋糕 /:cake", u"闪电 /:shd", u"炸弹 /:bomb", u"刀 /:dao",
    u"足球 /:footb", u"音乐 /:music", u"便便 /:shit", u"星星 /;<*>", u"咖啡 /:coffee", u"饭 /:eat", u"药丸 /:pill",
    u"玫瑰 /:rose", u"凋谢 /:fade", u"吻 /:kiss", u"爱心 /:heart", u"心碎 /:break", u"会议 /:meeting", u"礼物 /;gift",
    u"电话 /:phone", u"时间 /:time", u"邮件 /:mail", u"电视 /:tv", u"太阳 /:sun", u"女 /nv", u"月亮 /:moon", u"强 /:strong",
    u"弱 /;weak", u"握手 /:share", u"胜利 /:shl", u"多多 /:dd", u"美女 /:mn", u"欢乐 /:hl", u"毛毛 /:mamao", u"Q仔 /<Q>",
    u"飞吻 /:fw", u"抠火 /:oh", u"白酒 /:bj", u"汽水 /:qsh", u"西瓜 /:xig", u"男 /nan", u"/<V>", u"/<RB>", u"/<NF>",
};
// clang-format on

int ParseFaceToken(QStringView fromSlash, QString &marker)
{
    if (fromSlash.isEmpty() || fromSlash.front() != QLatin1Char('/'))
        return -1;
    if (StartsWithPictureMarker(fromSlash)) {
        marker = fromSlash.first(PictureMarkerLength).toString();
        return kPictureMarkerResult;
    }
    // The "/" itself is not compared: every entry begins with one.
    const QStringView rest = fromSlash.sliced(1);
    for (int i = 0; i < kFaceTableSize; ++i) {
        if (rest.startsWith(FaceShortcutTable[size_t(i)].sliced(1)))
            return i;
    }
    return -1;
}

QList<FaceTextPiece> TokenizeFaceText(QStringView text)
{
    QList<FaceTextPiece> pieces;
    qsizetype pending = 0; // start of the plain text not yet emitted
    qsizetype slash = text.indexOf(QLatin1Char('/'));
    while (slash >= 0) {
        QString marker;
        const int face = ParseFaceToken(text.sliced(slash), marker);
        if (face < 0) {
            slash = text.indexOf(QLatin1Char('/'), slash + 1);
            continue;
        }
        if (slash > pending)
            pieces.append({ FaceTextPiece::Kind::Plain, text.sliced(pending, slash - pending), -1 });
        if (!marker.isEmpty()) {
            pieces.append({ FaceTextPiece::Kind::Marker, text.sliced(slash, PictureMarkerLength), -1 });
            pending = slash + PictureMarkerLength;
        } else {
            pieces.append(
                { FaceTextPiece::Kind::Face, text.sliced(slash, FaceShortcutTable[size_t(face)].size()), face });
            pending = slash + FaceShortcutTable[size_t(face)].size();
        }
        slash = text.indexOf(QLatin1Char('/'), pending);
    }
    if (pending < text.size())
        pieces.append({ FaceTextPiece::Kind::Plain, text.sliced(pending), -1 });
    return pieces;
}

bool SplitFaceText(QStringView text, QStringList &runs, QList<quint32> &flags)
{
    runs.clear();
    flags.clear();
    bool anyPlain = false;
    for (const FaceTextPiece &piece : TokenizeFaceText(text)) {
        const bool plain = piece.kind == FaceTextPiece::Kind::Plain;
        anyPlain = anyPlain || plain;
        runs.append(piece.text.toString());
        flags.append(plain ? 1 : 0);
    }
    return anyPlain;
}

QString MessageTextInWords(QStringView text)
{
    QString out;
    for (const FaceTextPiece &piece : TokenizeFaceText(text)) {
        switch (piece.kind) {
        case FaceTextPiece::Kind::Plain:
            out += piece.text;
            break;
        case FaceTextPiece::Kind::Marker:
            out += ParsePictureMarker(piece.text)->animated ? kCustomFaceWord : kPictureWord;
            break;
        case FaceTextPiece::Kind::Face:
            if (piece.face < kBuiltInFaceCount) {
                // The tip is the name, a blank and the shortcut.
                const QStringView tip = FaceTipTable[size_t(piece.face)];
                out += QLatin1Char('[') + tip.first(tip.lastIndexOf(QLatin1Char(' '))) + QLatin1Char(']');
            } else if (piece.face != kFaceProgramLine) {
                out += kPictureWord;
            }
            break;
        }
    }
    return out;
}
