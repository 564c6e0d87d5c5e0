// Picture markers of message text ("/~#>%08x<B~" for a bitmap picture,
// "/~#>%08x<G~" for an animated picture or custom face) and the writer that
// turns the content of a message edit into message text.
#pragma once

#include "core/FaceShortcuts.h"

#include <QList>
#include <QString>
#include <QStringView>
#include <optional>

// The two special ids that are never offered for saving or for the face library.
inline constexpr quint32 kNoPictureId = 0;
inline constexpr quint32 kReservedPictureId = 0x7FFFFFFF;

QString PictureMarker(quint32 id, bool animated);

struct PictureMarkerInfo
{
    quint32 id = 0;
    bool animated = false; // "<G~"
};

// True when the text begins with a picture marker (15 characters, "/~#>" and
// "<B~" or "<G~" at the end; the id digits are not checked).
bool StartsWithPictureMarker(QStringView text);
// The id and kind of a picture marker at the start of the text. The id is
// the value of the leading hexadecimal digits of the eight id characters, so
// bad digits give 0 (or the value of the digits before them).
std::optional<PictureMarkerInfo> ParsePictureMarker(QStringView text);
// The ids of the picture markers in a message text, in first-seen order
// without repeats, at most `max` of them (0 never counts).
QList<quint32> PictureMarkerIds(QStringView text, int max);

// Builds message text from the content of an edit in document order: text,
// line breaks, faces as their shortcuts and pictures as markers, with the
// picture ids in first-seen order and without repeats.
class MarkedTextWriter
{
public:
    explicit MarkedTextWriter(QStringView lineEnd)
        : m_lineEnd(lineEnd.toString())
    {
    }

    // Paragraph and line separators (U+2029, U+2028) become the line end, a
    // space GBK has no code for (U+00A0...) a plain space (Gbk::plainLayout).
    void appendText(QStringView text);
    void appendLineBreak() { m_text += m_lineEnd; }
    // A built-in face or special token; out-of-range indexes write nothing.
    void appendFace(int index);
    void appendPicture(quint32 id, bool animated);

    const QString &text() const { return m_text; }
    const QList<quint32> &ids() const { return m_ids; }

private:
    QString m_lineEnd;
    QString m_text;
    QList<quint32> m_ids;
};
