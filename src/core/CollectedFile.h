#pragma once

#include "core/FileProgress.h"
#include "core/FileStatus.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QUrl>

#include <optional>

namespace vorno {

// One file of a collection and how far its upload and processing have come.
struct CollectedFile
{
    QString id; // lower-case UUID, also the file's source id on the server
    QString name;
    qint64 size = 0;
    QString sha256; // 64 lower-case hexadecimal digits
    QString contentType;
    std::optional<QString> objectPath;
    std::optional<QString> preflight;
    std::optional<QString> uploadId;
    std::optional<QUrl> tus; // the resumable upload, kept so an interrupted one resumes
    QString status;          // as the service wrote it; see state()
    std::optional<QString> failure;
    std::optional<qint64> completed;
    std::optional<qint64> total;
    std::optional<qint64> candidateCount;
    bool partial = false;

    [[nodiscard]] FileStatus state() const { return fileStatus(status); }
    // Ready for review, failed or deleted.
    [[nodiscard]] bool isFinished() const;
    // Local, or finished: nothing to ask the server about.
    [[nodiscard]] bool isNeverPolled() const;
    // Ready for review, whole, and with work found (or no count given): such a
    // file needs nothing more from the user and leaves the review list.
    [[nodiscard]] bool isFinishedWithWork() const;
    // The server holds the bytes, so the recovery copy may go.
    [[nodiscard]] bool mayDropLocalCopy() const;

    // Takes in the service's answer: the status when given, everything else
    // as given or cleared.
    void apply(const FileProgress &progress);

    [[nodiscard]] static CollectedFile fromJson(const QByteArray &json);
    [[nodiscard]] QByteArray toJson() const;

    friend bool operator==(const CollectedFile &, const CollectedFile &) = default;
};

} // namespace vorno
