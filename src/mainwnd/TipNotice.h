// One entry of the message tip popup, as the contact list hands it over: the
// popup keeps a list of them and shows one at a time.
#pragma once

#include <QMetaType>
#include <QString>

struct TipNotice
{
    // Image of the head-icon list (0 plain peer, 1.. head icons, see
    // HeadImage.h); -1 for none (the popup then shows the program icon).
    int icon = -1;
    QString title;
    QString text;
    // "#MAC:" with a key text or "#IP:" with a dotted address: the popup opens
    // that peer's chat window. Empty for a notice without a link.
    QString linkTag;

    bool operator==(const TipNotice &) const = default;
};

Q_DECLARE_METATYPE(TipNotice)
