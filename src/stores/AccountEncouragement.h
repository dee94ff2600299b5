#pragma once

#include "core/CloudSession.h"
#include "core/EncouragementNote.h"
#include "core/EncouragementState.h"
#include "stores/OperationGate.h"

#include <QObject>

#include <QCoro/QCoroTask>

#include <optional>

namespace vorno {

class CloudStore;

// The account's encouragement: whether the service offers it, the user's
// settings there, and the note on show.
class AccountEncouragement : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool available READ isAvailable NOTIFY availableChanged)
    Q_PROPERTY(bool readFailed READ readFailed NOTIFY readFailedChanged)
    Q_PROPERTY(bool reading READ isReading NOTIFY readingChanged)

public:
    explicit AccountEncouragement(CloudStore *cloud);

    [[nodiscard]] const std::optional<EncouragementNote> &note() const { return m_note; }
    [[nodiscard]] bool isAvailable() const { return m_available; }
    [[nodiscard]] bool readFailed() const { return m_readFailed; }
    [[nodiscard]] bool isReading() const { return m_reading; }
    [[nodiscard]] const std::optional<EncouragementState> &settings() const { return m_settings; }

    void setNote(std::optional<EncouragementNote> note);
    // Reads whether encouragement is offered; a failure shows as readFailed,
    // never as a notice, and never ends the session.
    QCoro::Task<> refreshAvailability();
    // Claims the next note when the account may have one.
    [[nodiscard]] QCoro::Task<std::optional<EncouragementNote>> next();
    // Shows `note` while it is valid and someone is signed in.
    void present(const EncouragementNote &note);

Q_SIGNALS:
    void noteChanged();
    void availableChanged();
    void readFailedChanged();
    void readingChanged();
    void settingsChanged();

private:
    friend class CloudStore;

    void clear();
    [[nodiscard]] QCoro::Task<std::optional<EncouragementNote>> claimSteps(CloudSession session,
                                                                           OperationGate::Ticket ticket);
    void setAvailable(bool available);
    void setReadFailed(bool failed);
    void setReading(bool reading);
    void setSettings(std::optional<EncouragementState> settings);

    CloudStore *m_cloud;
    std::optional<EncouragementNote> m_note;
    bool m_available = false;
    bool m_readFailed = false;
    bool m_reading = false;
    std::optional<EncouragementState> m_settings;
};

} // namespace vorno
