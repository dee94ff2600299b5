#include "core/CloudIdentity.h"

#include "core/JsonCoding.h"

namespace vorno {

CloudIdentity json::Coding<CloudIdentity>::read(const Reader &json)
{
    return {.id = json.string("id"), .email = json.optionalString("email")};
}

void json::Coding<CloudIdentity>::write(Writer &json, const CloudIdentity &identity)
{
    json.set("id", identity.id);
    json.set("email", identity.email);
}

CloudIdentity CloudIdentity::fromJson(const QByteArray &json)
{
    return json::decode<CloudIdentity>(json);
}

QByteArray CloudIdentity::toJson() const
{
    return json::encode(*this);
}

} // namespace vorno
