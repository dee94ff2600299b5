#include "core/EncouragementClaim.h"

#include "core/JsonCoding.h"

namespace vorno {

EncouragementClaim json::Coding<EncouragementClaim>::read(const Reader &json)
{
    return {.ownerId = json.optionalString("ownerId"), .message = json.optionalObject<EncouragementNote>("message")};
}

EncouragementClaim EncouragementClaim::fromJson(const QByteArray &json)
{
    return json::decode<EncouragementClaim>(json);
}

} // namespace vorno
