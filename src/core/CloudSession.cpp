#include "core/CloudSession.h"

#include "core/DecodingError.h"
#include "core/JsonCoding.h"
#include "core/Text.h"

namespace vorno {

CloudSession json::Coding<CloudSession>::read(const Reader &json)
{
    CloudSession session {
        .access_token = json.string("access_token"),
        .refresh_token = json.string("refresh_token"),
        .expires_at = json.optionalNumber("expires_at"),
        .user = json.object<CloudIdentity>("user"),
    };
    // Tokens and the user id travel in HTTP headers: a line break in one would
    // add a header of the server's choosing.
    for (const QString *value : {&session.access_token, &session.refresh_token, &session.user.id}) {
        if (Text::hasControlCharacter(value->toUtf8()))
            throw DecodingError("session value with a control character");
    }
    return session;
}

void json::Coding<CloudSession>::write(Writer &json, const CloudSession &session)
{
    json.set("access_token", session.access_token);
    json.set("refresh_token", session.refresh_token);
    json.set("expires_at", session.expires_at);
    json.set("user", session.user);
}

CloudSession CloudSession::fromJson(const QByteArray &json)
{
    return json::decode<CloudSession>(json);
}

QByteArray CloudSession::toJson() const
{
    return json::encode(*this);
}

} // namespace vorno
