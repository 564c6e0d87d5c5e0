// Installs the process-wide current instance of a replaceable service (one
// with static setCurrent(Service *) returning the previous one) for the life
// of a scope, and puts the previous one back.
#pragma once

template <typename Service> class ScopedCurrent
{
public:
    explicit ScopedCurrent(Service &service)
        : m_previous(Service::setCurrent(&service))
    {
    }
    ~ScopedCurrent() { Service::setCurrent(m_previous); }
    ScopedCurrent(const ScopedCurrent &) = delete;
    ScopedCurrent &operator=(const ScopedCurrent &) = delete;

private:
    Service *m_previous;
};
