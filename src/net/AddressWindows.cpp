#include "net/AddressWindows.h"

#include <algorithm>

AddressWindows::AddressWindows(qint64 periodMs, qsizetype maxAddresses)
    : m_period(periodMs)
    , m_maxAddresses(std::max<qsizetype>(1, maxAddresses))
{
}

void AddressWindows::trim(qint64 nowMs, bool evict)
{
    while (!m_order.empty()) {
        const Began front = m_order.front();
        const auto it = m_windows.find(front.address);
        const bool current = it != m_windows.end() && it->start == front.start;
        if (current && nowMs - front.start < m_period && !evict)
            return;
        m_order.pop_front();
        if (current) {
            m_windows.erase(it);
            if (evict)
                return;
        }
    }
}

bool AddressWindows::Charge(quint32 address, qint64 amount, qint64 cap, qint64 nowMs)
{
    trim(nowMs, false);
    auto it = m_windows.find(address);
    if (it == m_windows.end()) {
        if (m_windows.size() >= m_maxAddresses)
            trim(nowMs, true);
        it = m_windows.insert(address, { nowMs, 0 });
        m_order.push_back({ address, nowMs });
    } else if (nowMs - it->start >= m_period) {
        *it = { nowMs, 0 };
        m_order.push_back({ address, nowMs });
    }
    if (it->charged + amount > cap)
        return false;
    it->charged += amount;
    return true;
}
