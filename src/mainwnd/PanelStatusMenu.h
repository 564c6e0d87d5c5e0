// The own-status menu of the search strip's status button (menu 389):
// "在线", the eight away kinds and "隐身". Items carry their command ids in
// QAction::data(), like the tray menu's.
#pragma once

#include "core/CConfig.h"

#include <QString>
#include <array>
#include <cstdint>

class QMenu;
class QWidget;

namespace StatusMenu {

constexpr int Online = 33126;
constexpr int FirstAway = 33127; // the away kinds 1..8, 33127..33134
constexpr int Hidden = 33135;

// Builds menu 389 under the parent.
QMenu *Build(QWidget *parent);
// Checks the item of the own state: "隐身" while hidden (StatusValue bit
// 0x40), the away kind while away (1..8), else "在线".
void Check(QMenu *menu, uint32_t statusValue, int awayKind);
// The status button's text for the same state: "隐身▼", the away name with
// "▼", or "在线▼". The away name is the user's own (AwayNames), the kind's
// menu text where the user left it empty.
QString ButtonText(uint32_t statusValue, int awayKind, const std::array<QString, CConfig::AwayModeCount> &awayNames);

} // namespace StatusMenu
