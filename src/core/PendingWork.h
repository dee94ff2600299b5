#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTimeZone>

namespace vorno {

// A note the user asked to save to the account, kept until the service confirms it.
struct PendingWork
{
    static constexpr qsizetype maximumLength = 4000; // UTF-16 code units, as typed

    QString id;         // upper-case canonical UUID, made by this client
    QString ownerId;    // the user the note belongs to
    QString text;       // exactly as written, not trimmed
    QString occurredOn; // local calendar day, "yyyy-MM-dd"

    // Throws CloudError(invalid) for a blank note or one over the limit.
    [[nodiscard]] static PendingWork make(QString ownerId, QString text, const QDateTime &now,
                                          const QTimeZone &zone = QTimeZone::systemTimeZone());

    // The save request: the four fields plus category "note" and a null projectSlug.
    [[nodiscard]] QByteArray body() const;

    // The stored form: the four fields only.
    [[nodiscard]] static PendingWork fromJson(const QByteArray &json);
    [[nodiscard]] QByteArray toJson() const;

    friend bool operator==(const PendingWork &, const PendingWork &) = default;
};

} // namespace vorno
