#include "core/LocalDraft.h"

#include "core/JsonCoding.h"

namespace vorno {

LocalDraft json::Coding<LocalDraft>::read(const Reader &json)
{
    return {.version = json.integer("version"), .text = json.string("text")};
}

void json::Coding<LocalDraft>::write(Writer &json, const LocalDraft &draft)
{
    json.set("version", draft.version);
    json.set("text", draft.text);
}

LocalDraft LocalDraft::fromJson(const QByteArray &json)
{
    return json::decode<LocalDraft>(json);
}

QByteArray LocalDraft::toJson() const
{
    return json::encode(*this);
}

} // namespace vorno
