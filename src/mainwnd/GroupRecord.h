// What the group tree reads of a group chat ("群"): its id, name and the
// number of unread messages.
#pragma once

#include <QString>

struct GroupRecord
{
    quint32 id = 0;
    QString name;
    int unreadCount = 0;
};
