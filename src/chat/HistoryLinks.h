// Addresses in the text of the history view: found in plain runs, drawn as
// links, and opened on a click only when they are web, FTP or mail addresses;
// a peer's link in a notice ("#IP:", "#MAC:") brings that peer's window up.
#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <QUrl>

struct TextRun
{
    QString text;
    QString href; // empty: plain text
};

// Splits a plain run into text and addresses ("http://", "https://",
// "ftp://", "mailto:" and "www." up to the next blank or quote).
QList<TextRun> SplitLinks(QStringView text);
// The address a link opens ("www." gets "http://"); invalid for anything else.
QUrl LinkTarget(const QString &href);
// True for http, https, ftp and mailto addresses with something behind the scheme.
bool IsOpenableLink(const QUrl &url);
// A peer's link in the notices: "#IP:" with a dotted address, "#MAC:" with a key text.
bool IsPeerLinkTag(QStringView text);
