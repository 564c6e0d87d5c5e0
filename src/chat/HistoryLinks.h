// Addresses in the text of the history view: found in plain runs, drawn as
// links, and opened on a click only when they are web, FTP or mail addresses.
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
