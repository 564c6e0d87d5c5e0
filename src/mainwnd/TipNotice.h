// One notice for the message tip popup: an image of the large head-icon
// list (negative: the program icon), a title, the text and the link tag that
// a click opens ("#IP:", "#MAC:", "#QUNID:" or an address).
#pragma once

#include <QString>

struct TipNotice
{
    int icon = 0;
    QString title;
    QString text;
    QString linkTag;
};
