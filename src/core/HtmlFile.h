// In-place rewrites of the small GBK HTML files the program fetches from the
// maker's site: the upgrade text and the web-access page of the chat panes.
//
// The work is done on the bytes: every byte the rules below do not touch is
// written back unchanged, whatever its encoding. That is safe for GBK because
// the markup bytes ('<', '>', '&', ';', '=', quotes) are below 0x40 and so can
// never be the trail byte of a double-byte character.
//
// Files larger than kMaxHtmlFileBytes are refused and left alone. Writes go
// through QSaveFile: a failure never leaves a half-written file behind.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <optional>

inline constexpr qint64 kMaxHtmlFileBytes = 4 * 1024 * 1024;

// Turns an HTML fragment into plain lines:
// - <br>, <br/>, <br /> (any case, any attributes) become "\r\n";
// - a link <a ... href="U" ...>text</a> keeps its text and loses its tags;
//   a link without text becomes its address U (entities in U decoded);
// - the entities &amp; &lt; &gt; &quot; &apos; &nbsp; (as a blank) and a few
//   common typographic ones, and numeric ones (&#20013; &#x4E2D;), become
//   their characters in GBK (a character GBK lacks becomes '?');
// - everything else, including unknown entities and other tags, stays as is.
// Decoded text is never scanned again ("&amp;lt;" gives "&lt;").
QByteArray NormalizeHtml(QByteArrayView gbk);

// The page with the bgcolor attribute of its first <body> tag (comments
// skipped) set to "#RRGGBB" from a COLORREF (0x00BBGGRR): an existing bgcolor
// attribute is replaced as a whole, otherwise one is added right after
// "<body". Other ways of colouring the page (style sheets) are left alone.
// std::nullopt when the page has no complete <body> tag.
std::optional<QByteArray> SetHtmlBodyBackground(QByteArrayView gbk, quint32 colorRef);

// Applies NormalizeHtml to the file. False when the file cannot be read, is
// too large or cannot be written back.
bool NormalizeHtmlFile(const QString &path);

// Applies SetHtmlBodyBackground to the file. True only when the page's bytes
// changed and were written back: a page that already has the colour, has no
// <body> tag or cannot be read or written gives false (and stays as it was).
bool UpdateHtmlBackgroundColor(const QString &path, quint32 colorRef);
