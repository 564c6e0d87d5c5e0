// Opening what a link, a menu tag or a file list names.
#pragma once

#include <QString>
#include <QStringView>
#include <QUrl>
#include <optional>

class QObject;

// What the text names: an http, https, ftp or mailto address, a file: URL of
// a local file, or an existing local file or folder (as a file: URL). None
// for anything else; nothing is ever run as a command line.
std::optional<QUrl> ResolveOpenTarget(QStringView text);

// Opens the target of the text through the current desktop services; on
// failure the reason is shown through the current prompter. True when it was
// handed to the desktop.
bool RunProgramOrCommand(QStringView text, QObject *owner = nullptr);
