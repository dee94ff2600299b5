#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace vorno {

// The file helpers every store shares: owner-only directories and files,
// durable atomic replacement, and no symbolic link followed at the last step.
// Failures throw FileError.
class PrivateFiles
{
public:
    PrivateFiles() = delete;

    static constexpr unsigned directoryMode = 0700;
    static constexpr unsigned fileMode = 0600;

    // Creates `path` and any missing parents with mode 0700, then brings `path`
    // itself back to 0700. Refuses a `path` that is a symbolic link.
    static void ensureDirectory(const QString &path);

    // Writes `bytes` to `temporaryName` in `directory` (created exclusively, mode
    // 0600), flushes it, renames it over `fileName` and flushes the directory. The
    // previous file is untouched unless the rename happened; the temporary file
    // never outlives the call.
    static void replace(const QString &directory, const QString &fileName, const QByteArray &bytes,
                        const QString &temporaryName);

    // Creates `path` exclusively (never replacing anything) with mode 0600, writes
    // `bytes` and flushes them and the directory. A partly written file is
    // removed again.
    static void create(const QString &path, const QByteArray &bytes);

    // Removes `path`; no entry there is not an error.
    static void remove(const QString &path);

    // The whole file, or nothing when no entry exists at `path`. A symbolic link,
    // something other than a regular file, or a file larger than `limit` fails.
    [[nodiscard]] static std::optional<QByteArray> read(const QString &path, qint64 limit);
};

} // namespace vorno
