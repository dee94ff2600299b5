#pragma once

#include <QDateTime>
#include <QStringView>

#include <optional>

namespace vorno {

// RFC 3339 internet date-times ("2026-01-31T08:00:00Z", "…:00.250+01:00"),
// with or without fractional seconds, and nothing looser.
namespace InternetDateTime {

[[nodiscard]] std::optional<QDateTime> parse(QStringView text);

// The instant, or the distant past when the text is not a date-time: an
// expiry or pause that cannot be read must never count as in the future.
[[nodiscard]] QDateTime parseOrDistantPast(QStringView text);
} // namespace InternetDateTime

} // namespace vorno
