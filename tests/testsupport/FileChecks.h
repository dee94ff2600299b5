#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// Small file and failure checks shared by the file-store tests.
namespace filechecks {

// The permission bits of `path` (not following a link); 0 when it does not exist.
[[nodiscard]] unsigned modeOf(const QString &path);
// The whole content of `path`, or nothing when it cannot be read.
[[nodiscard]] QByteArray bytesOf(const QString &path);
// Writes `bytes` to `path`, replacing it; fails the calling test when it cannot.
void writeFile(const QString &path, const QByteArray &bytes);
// Every entry of `directory`, hidden ones included, sorted by name.
[[nodiscard]] QStringList entriesOf(const QString &directory);
// Whether `step` threw CloudError(storage).
[[nodiscard]] bool refusedAsStorage(const std::function<void()> &step);
// A well-formed id (owner, batch or file), told apart by `n`.
[[nodiscard]] QString uuid(int n);
// The name a private store gives the entry `key`: its SHA-256 in hex.
[[nodiscard]] QString hashOf(const QString &key);

} // namespace filechecks
