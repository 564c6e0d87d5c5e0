#include "chat/session/ReadNoticeQueue.h"

std::optional<ReadNoticeQueue::Pending> ReadNoticeQueue::Take(bool sendNotices)
{
    std::optional<Pending> first;
    if (sendNotices && !m_pending.isEmpty())
        first = m_pending.first();
    m_pending.clear();
    return first;
}
