#pragma once

#include <QList>
#include <QUrl>

namespace vorno {

// Checks locations that came from a drop or the open panel.
namespace FileIntent {

// Every location must be a local, readable regular file that is not a
// symbolic link; returns them with "." and ".." resolved, first occurrence
// kept. Throws FileError for the first one that is not.
[[nodiscard]] QList<QUrl> stage(const QList<QUrl> &urls);
} // namespace FileIntent

} // namespace vorno
