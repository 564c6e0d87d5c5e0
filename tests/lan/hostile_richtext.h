// Hostile peers whose names carry markup, for the load tests of kwelpeer.
#pragma once

#include <QStringList>
#include <functional>
#include <optional>

// markupfolder SECONDS [PORT]
//                       from the program's port number PORT (kwelpeer's engine
//                       runs on another), a listed peer offers the folder "docs"; the first
//                       request for it within SECONDS gets a stream whose
//                       one entry is named "<img src=/dev/zero>":
//                       "MARKUPFOLDER served N" (N requests served)
// None when the attack is not one of these; else whether it ran.
std::optional<bool> RunRichTextAttack(
    const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report);
