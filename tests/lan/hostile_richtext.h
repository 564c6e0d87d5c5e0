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
// sharejam N HH:MM      a listed port asks three times for the shares 1..N
//                       (each with that time); then another port announces
//                       itself: "SHAREJAM answered-ms MS" (-1: no answer in 10 s)
// None when the attack is not one of these; else whether it ran.
std::optional<bool> RunRichTextAttack(
    const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report);
