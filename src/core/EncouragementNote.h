#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace vorno {

// A short message recognising completed work.
struct EncouragementNote
{
    static constexpr qsizetype maximumLength = 180; // user-perceived characters

    QString id;
    QString message;
    QString expiresAt; // ISO 8601 date-time

    // The gate for every display: a message of 1 to 180 characters that has not
    // expired. An expiry that cannot be read counts as long past.
    [[nodiscard]] bool valid(const QDateTime &now = QDateTime::currentDateTimeUtc()) const;

    [[nodiscard]] static EncouragementNote fromJson(const QByteArray &json);

    friend bool operator==(const EncouragementNote &, const EncouragementNote &) = default;
};

} // namespace vorno
