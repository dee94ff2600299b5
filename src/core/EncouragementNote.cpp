#include "core/EncouragementNote.h"

#include "core/InternetDateTime.h"
#include "core/JsonCoding.h"
#include "core/Text.h"

namespace vorno {

bool EncouragementNote::valid(const QDateTime &now) const
{
    return !message.isEmpty() && Text::characterCount(message) <= maximumLength
        && InternetDateTime::parseOrDistantPast(expiresAt) > now;
}

EncouragementNote json::Coding<EncouragementNote>::read(const Reader &json)
{
    return {.id = json.string("id"), .message = json.string("message"), .expiresAt = json.string("expiresAt")};
}

EncouragementNote EncouragementNote::fromJson(const QByteArray &json)
{
    return json::decode<EncouragementNote>(json);
}

} // namespace vorno
