#pragma once

#include <QString>

#include <optional>

class QJsonObject;

namespace vorno {

// What the service answers about a file's processing.
struct FileProgress
{
    std::optional<QString> status; // absent: as it was
    std::optional<QString> failure;
    std::optional<qint64> candidateCount;
    bool partial = false; // only part of the file could be collected
    std::optional<qint64> completed;
    std::optional<qint64> total;

    // Reads "status", "error", "candidateCount" and "progress"; a value of the
    // wrong type counts as absent.
    [[nodiscard]] static FileProgress fromAnswer(const QJsonObject &answer);

    friend bool operator==(const FileProgress &, const FileProgress &) = default;
};

} // namespace vorno
