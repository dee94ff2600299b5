#include "core/EncouragementState.h"

#include "core/InternetDateTime.h"
#include "core/JsonCoding.h"

#include <QTimeZone>

namespace vorno {

namespace json {
template<>
struct Coding<EncouragementState::Preferences>
{
    static EncouragementState::Preferences read(const Reader &json);
};
} // namespace json

namespace {

constexpr int quietFromHour = 22;
constexpr int quietUntilHour = 9;

} // namespace

bool EncouragementState::Preferences::paused(const QDateTime &now) const
{
    return snoozed_until && InternetDateTime::parseOrDistantPast(*snoozed_until) > now;
}

bool EncouragementState::Preferences::quiet(const QDateTime &now) const
{
    if (!timezone || !QTimeZone::isTimeZoneIdAvailable(timezone->toUtf8()))
        return false;
    const int hour = now.toTimeZone(QTimeZone(timezone->toUtf8())).time().hour();
    return hour >= quietFromHour || hour < quietUntilHour;
}

EncouragementState::Preferences json::Coding<EncouragementState::Preferences>::read(const Reader &json)
{
    return {
        .enabled = json.boolean("enabled"),
        .mac = json.boolean("mac"),
        .timezone = json.optionalString("timezone"),
        .snoozed_until = json.optionalString("snoozed_until"),
    };
}

EncouragementState json::Coding<EncouragementState>::read(const Reader &json)
{
    return {
        .ownerId = json.string("ownerId"),
        .available = json.boolean("available"),
        .pro = json.boolean("pro"),
        .preferences = json.object<EncouragementState::Preferences>("preferences"),
    };
}

EncouragementState EncouragementState::fromJson(const QByteArray &json)
{
    return json::decode<EncouragementState>(json);
}

} // namespace vorno
