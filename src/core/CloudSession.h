#pragma once

#include "core/CloudIdentity.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace vorno {

// A session from the token endpoints, kept sealed under "session". Member names
// follow the service's snake-case JSON.
struct CloudSession
{
    QString access_token;
    QString refresh_token;
    std::optional<double> expires_at; // carried as sent; nothing interprets it
    CloudIdentity user;

    [[nodiscard]] static CloudSession fromJson(const QByteArray &json);
    [[nodiscard]] QByteArray toJson() const;

    friend bool operator==(const CloudSession &, const CloudSession &) = default;
};

} // namespace vorno
