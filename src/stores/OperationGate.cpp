#include "stores/OperationGate.h"

namespace vorno {

OperationGate::Ticket OperationGate::begin(bool refreshing)
{
    setBusy(true, refreshing);
    return ticket();
}

void OperationGate::Ticket::end() const
{
    if (isCurrent())
        m_gate->setBusy(false, false);
}

void OperationGate::setBusy(bool busy, bool refreshing)
{
    refreshing = busy && refreshing;
    if (busy == m_busy && refreshing == m_refreshing)
        return;
    m_busy = busy;
    m_refreshing = refreshing;
    Q_EMIT busyChanged();
}

} // namespace vorno
