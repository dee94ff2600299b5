#pragma once

#include <QByteArray>
#include <QString>

namespace vorno {

// The note kept on this machine, stored as {"version":1,"text":…}.
struct LocalDraft
{
    static constexpr qint64 currentVersion = 1;

    qint64 version = currentVersion;
    QString text;

    [[nodiscard]] static LocalDraft fromText(QString text)
    {
        return {.version = currentVersion, .text = std::move(text)};
    }

    [[nodiscard]] static LocalDraft fromJson(const QByteArray &json);
    [[nodiscard]] QByteArray toJson() const;

    friend bool operator==(const LocalDraft &, const LocalDraft &) = default;
};

} // namespace vorno
