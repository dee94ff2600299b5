#pragma once

#include "core/EncouragementNote.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace vorno {

// The answer to a claim: a message to deliver now, or nothing.
struct EncouragementClaim
{
    std::optional<QString> ownerId;
    std::optional<EncouragementNote> message;

    [[nodiscard]] static EncouragementClaim fromJson(const QByteArray &json);

    friend bool operator==(const EncouragementClaim &, const EncouragementClaim &) = default;
};

} // namespace vorno
