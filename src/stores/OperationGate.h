#pragma once

#include <QObject>
#include <QPointer>

namespace vorno {

// One operation at a time for an account's stores: a busy flag and the
// generation. Each operation holds a ticket, a copy of the generation; ending
// the generation (sign-out, lock, quit) makes every ticket stale, so results of
// superseded operations are dropped.
class OperationGate : public QObject
{
    Q_OBJECT

public:
    class Ticket
    {
    public:
        // False once the generation ended or the gate is gone.
        [[nodiscard]] bool isCurrent() const { return m_gate && m_gate->m_generation == m_generation; }
        // Ends the operation, unless its generation has ended. Safe after the
        // gate's owner is gone.
        void end() const;

    private:
        friend class OperationGate;
        Ticket(OperationGate *gate, quint64 generation) : m_gate(gate), m_generation(generation) { }
        QPointer<OperationGate> m_gate;
        quint64 m_generation;
    };

    using QObject::QObject;

    [[nodiscard]] bool isBusy() const { return m_busy; }
    // Busy with nothing but refreshing the session.
    [[nodiscard]] bool isRefreshing() const { return m_refreshing; }
    [[nodiscard]] Ticket ticket() { return Ticket(this, m_generation); }

    // Marks the gate busy and returns the operation's ticket.
    Ticket begin(bool refreshing = false);
    // Every ticket handed out is stale from here on; busy stays as it is until
    // release(), so the caller orders what observers see.
    void endGeneration() { ++m_generation; }
    void release() { setBusy(false, false); }

Q_SIGNALS:
    void busyChanged();

private:
    void setBusy(bool busy, bool refreshing);

    quint64 m_generation = 0;
    bool m_busy = false;
    bool m_refreshing = false;
};

} // namespace vorno
