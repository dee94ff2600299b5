#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

namespace vorno {

// The account's encouragement settings, as the service reports them.
struct EncouragementState
{
    struct Preferences
    {
        bool enabled = false;
        bool mac = false;
        std::optional<QString> timezone;      // IANA identifier, for quiet hours
        std::optional<QString> snoozed_until; // ISO 8601 date-time

        // Paused until a moment still ahead of `now`.
        [[nodiscard]] bool paused(const QDateTime &now = QDateTime::currentDateTimeUtc()) const;
        // Between 22:00 and 08:59 in the user's own time zone.
        [[nodiscard]] bool quiet(const QDateTime &now = QDateTime::currentDateTimeUtc()) const;

        friend bool operator==(const Preferences &, const Preferences &) = default;
    };

    QString ownerId;
    bool available = false;
    bool pro = false;
    Preferences preferences;

    [[nodiscard]] static EncouragementState fromJson(const QByteArray &json);

    friend bool operator==(const EncouragementState &, const EncouragementState &) = default;
};

} // namespace vorno
