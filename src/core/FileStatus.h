#pragma once

#include <QString>
#include <QStringView>

namespace vorno {

// Where a collected file stands. Records keep the status as the service
// wrote it: a status this client does not know reads as `other` and is kept
// as given.
enum class FileStatus {
    local,         // written by the client: copied, not yet sent
    uploaded,      // the bytes are with the service
    pendingUpload, // the service waits for the bytes
    queued,
    parsing,
    extracting,
    readyForReview,
    failed,
    deleted,
    other,
};

[[nodiscard]] FileStatus fileStatus(QStringView name);
// The name the service and the stored records use; empty for `other`.
[[nodiscard]] QString fileStatusName(FileStatus status);

} // namespace vorno
