#include "chat/session/HeldReadNotices.h"

void HeldReadNotices::Add(const Notice &notice)
{
    if (qsizetype(m_notices.size()) >= kCapacity)
        m_notices.pop_front();
    m_notices.push_back(notice);
}

std::vector<HeldReadNotices::Notice> HeldReadNotices::Take(quint32 address, quint16 port)
{
    std::vector<Notice> out;
    for (auto it = m_notices.begin(); it != m_notices.end();) {
        if (it->address == address && it->port == port) {
            out.push_back(*it);
            it = m_notices.erase(it);
        } else {
            ++it;
        }
    }
    return out;
}
