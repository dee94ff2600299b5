#include "ScriptedVault.h"

#include "core/CloudError.h"

std::optional<QByteArray> ScriptedVault::read(const QString &key)
{
    if (failReads.contains(key))
        throw vorno::CloudError(vorno::CloudFailure::storage);
    if (!entries.contains(key))
        return std::nullopt;
    return entries.value(key);
}

void ScriptedVault::write(const std::optional<QByteArray> &data, const QString &key)
{
    if (failWrites.contains(key))
        throw vorno::CloudError(vorno::CloudFailure::storage);
    writes.append(data ? key : QLatin1Char('-') + key);
    if (data)
        entries.insert(key, *data);
    else
        entries.remove(key);
}
