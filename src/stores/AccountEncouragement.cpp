#include "stores/AccountEncouragement.h"

#include "core/CloudError.h"
#include "services/CloudTransport.h"
#include "stores/CloudStore.h"
#include "support/ChangeSignal.h"

namespace vorno {

AccountEncouragement::AccountEncouragement(CloudStore *cloud) : QObject(cloud), m_cloud(cloud)
{
}

void AccountEncouragement::setNote(std::optional<EncouragementNote> note)
{
    assignAndNotify(this, m_note, std::move(note), &AccountEncouragement::noteChanged);
}

void AccountEncouragement::setAvailable(bool available)
{
    assignAndNotify(this, m_available, available, &AccountEncouragement::availableChanged);
}

void AccountEncouragement::setReadFailed(bool failed)
{
    assignAndNotify(this, m_readFailed, failed, &AccountEncouragement::readFailedChanged);
}

void AccountEncouragement::setReading(bool reading)
{
    assignAndNotify(this, m_reading, reading, &AccountEncouragement::readingChanged);
}

void AccountEncouragement::setSettings(std::optional<EncouragementState> settings)
{
    assignAndNotify(this, m_settings, std::move(settings), &AccountEncouragement::settingsChanged);
}

void AccountEncouragement::clear()
{
    setNote(std::nullopt);
    setAvailable(false);
    setSettings(std::nullopt);
    setReadFailed(false);
    setReading(false);
}

QCoro::Task<> AccountEncouragement::refreshAvailability()
{
    if (m_cloud->isBusy() || !m_cloud->session())
        co_return;
    const OperationGate::Ticket ticket = m_cloud->m_gate->begin();
    setReading(true);
    setReadFailed(false);
    const CloudSession session = *m_cloud->session();
    bool failed = false;
    try {
        const CloudSession valid = co_await m_cloud->validated(session, ticket);
        if (!ticket.isCurrent())
            co_return;
        const EncouragementState state = co_await m_cloud->m_api->encouragement(valid);
        if (ticket.isCurrent()) {
            if (state.ownerId != session.user.id)
                throw CloudError(CloudFailure::invalid);
            setAvailable(state.available);
            setSettings(state);
        }
    } catch (...) {
        // Reads never end the session and never show a notice.
        failed = true;
    }
    if (!ticket.isCurrent())
        co_return;
    if (failed)
        setReadFailed(true);
    ticket.end();
    setReading(false);
}

QCoro::Task<std::optional<EncouragementNote>> AccountEncouragement::next()
{
    if (m_cloud->isBusy() || !m_cloud->session())
        co_return std::nullopt;
    const OperationGate::Ticket ticket = m_cloud->m_gate->begin();
    std::optional<EncouragementNote> note;
    try {
        note = co_await claimSteps(*m_cloud->session(), ticket);
    } catch (...) {
        note.reset();
    }
    ticket.end();
    co_return note;
}

QCoro::Task<std::optional<EncouragementNote>> AccountEncouragement::claimSteps(CloudSession session,
                                                                               OperationGate::Ticket ticket)
{
    const QString userId = session.user.id;
    const CloudSession valid = co_await m_cloud->validated(std::move(session), ticket);
    if (!ticket.isCurrent())
        co_return std::nullopt;
    CloudTransport &api = *m_cloud->m_api;
    const EncouragementState state = co_await api.encouragement(valid);
    if (!ticket.isCurrent() || state.ownerId != userId)
        co_return std::nullopt;
    setAvailable(state.available);
    if (!state.available || !state.pro || !state.preferences.enabled || !state.preferences.mac) {
        setNote(std::nullopt);
        co_return std::nullopt;
    }
    const EncouragementClaim claim = co_await m_cloud->m_api->claimEncouragement(valid);
    if (!ticket.isCurrent() || claim.ownerId != userId || !claim.message
        || !claim.message->valid(m_cloud->m_options.now()))
        co_return std::nullopt;
    co_return claim.message;
}

void AccountEncouragement::present(const EncouragementNote &note)
{
    if (m_cloud->session() && note.valid(m_cloud->m_options.now()))
        setNote(note);
}

} // namespace vorno
