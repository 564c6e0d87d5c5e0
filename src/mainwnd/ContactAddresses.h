// Addresses that the user types or that stored recent contacts hold, checked
// before anything is sent to them.
#pragma once

#include <QString>
#include <QStringView>
#include <optional>

class CConfig;

// A typed IPv4 address in dotted form (four decimal parts 0..255, blanks
// around it allowed), in host byte order. Empty text, any other form and
// 0.0.0.0 (which reaches the own host on Linux) give nothing.
std::optional<quint32> ParseSendAddress(QStringView text);

// The address of a recent contact that is not online: the address under
// which the configuration's address-to-MAC map holds its key, else the
// address written in its text between ")(IP:" and the next ")", checked as a
// typed address. Nothing when neither gives one.
std::optional<quint32> RecentContactAddress(const CConfig &config, const QString &key, const QString &text);
