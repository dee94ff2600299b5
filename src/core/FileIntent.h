#pragma once

#include <QList>
#include <QUrl>

namespace vorno {

// Checks locations that came from a drop or the open panel.
class FileIntent
{
public:
    FileIntent() = delete;

    // Every location must be a local, readable regular file that is not a
    // symbolic link; returns them with "." and ".." resolved, first occurrence
    // kept. Throws FileError for the first one that is not.
    [[nodiscard]] static QList<QUrl> stage(const QList<QUrl> &urls);
};

} // namespace vorno
