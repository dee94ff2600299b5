#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace vorno {

// The file helpers every store shares: owner-only directories and files,
// durable atomic replacement, and no symbolic link followed at the last step.
// Failures throw FileError.
namespace PrivateFiles {

inline constexpr unsigned directoryMode = 0700;
inline constexpr unsigned fileMode = 0600;

// Creates `path` and any missing parents with mode 0700, then brings `path`
// itself back to 0700. Refuses a `path` that is a symbolic link.
void ensureDirectory(const QString &path);

// Writes `bytes` to `temporaryName` in `directory` (created exclusively, mode
// 0600), flushes it, renames it over `fileName` and flushes the directory. The
// previous file is untouched unless the rename happened; the temporary file
// never outlives the call.
void replace(const QString &directory, const QString &fileName, const QByteArray &bytes, const QString &temporaryName);

// Creates `path` exclusively (never replacing anything) with mode 0600 and
// writes `bytes`, starting their way to the disk without waiting for it:
// `flush` makes a set of such files durable at once. A partly written file
// is removed again.
void create(const QString &path, const QByteArray &bytes);
// Waits until the files `names` in `directory`, and their entries, are on
// the disk. Refuses a name that is a link.
void flush(const QString &directory, const QStringList &names);

// Removes `path`; no entry there is not an error.
void remove(const QString &path);

// Removes every regular file in `directory` whose name `matches` accepts;
// links and other entries stay, and no link is followed. A missing
// directory holds nothing to remove.
void removeMatching(const QString &directory, const std::function<bool(QStringView)> &matches);

// Whether `name` is `prefix` + an upper-case UUID + `suffix`, the form of
// every temporary file our writers make.
[[nodiscard]] bool isTemporaryName(QStringView name, QStringView prefix, QStringView suffix);

// Removes the temporary files a writer killed mid-write left in `directory`.
// Best effort: what cannot be removed now is tried at the next open.
void sweepTemporaries(const QString &directory, QStringView prefix, QStringView suffix) noexcept;

// The whole file, or nothing when no entry exists at `path`. A symbolic link,
// something other than a regular file, or a file larger than `limit` fails.
[[nodiscard]] std::optional<QByteArray> read(const QString &path, qint64 limit);
// As read(), for `name` in `directory`, which must not be a link either.
[[nodiscard]] std::optional<QByteArray> readIn(const QString &directory, const QString &name, qint64 limit);
} // namespace PrivateFiles

} // namespace vorno
