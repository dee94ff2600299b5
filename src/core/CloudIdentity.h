#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace vorno {

// The signed-in user; `id` is the owner of everything saved.
struct CloudIdentity
{
    QString id;
    std::optional<QString> email;

    [[nodiscard]] static CloudIdentity fromJson(const QByteArray &json);
    [[nodiscard]] QByteArray toJson() const;

    friend bool operator==(const CloudIdentity &, const CloudIdentity &) = default;
};

} // namespace vorno
