#include "core/PrivateFiles.h"

#include "core/FileError.h"
#include "core/Text.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <utility>

namespace vorno {

namespace {

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) { }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    Descriptor(Descriptor &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) { }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    [[nodiscard]] int get() const { return m_fd; }
    [[nodiscard]] bool valid() const { return m_fd >= 0; }

    // close() can report a deferred write error, so the writer checks it.
    [[nodiscard]] int release()
    {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result;
    }

private:
    int m_fd;
};

[[noreturn]] void failWithErrno()
{
    throw FileError(FileError::Code::io, errno);
}

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

void writeAll(int fd, const QByteArray &bytes)
{
    // In pieces: one write of a 20 MiB copy took twice as long as the same
    // bytes written a mebibyte at a time, on ext4 with the writeback already
    // started for the file before.
    constexpr qsizetype piece = 1024 * 1024;
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, std::size_t(std::min(left, piece)));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            failWithErrno();
        }
        data += written;
        left -= written;
    }
}

} // namespace

void PrivateFiles::ensureDirectory(const QString &path)
{
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    const QStringList parts = clean.split(u'/', Qt::SkipEmptyParts);
    QString current;
    for (const QString &part : parts) {
        current += u'/' + part;
        if (::mkdir(native(current).constData(), directoryMode) != 0 && errno != EEXIST)
            failWithErrno();
    }
    const Descriptor directory(::open(native(clean).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!directory.valid())
        failWithErrno();
    if (::fchmod(directory.get(), directoryMode) != 0)
        failWithErrno();
}

namespace {

Descriptor openDirectory(const QString &directory)
{
    Descriptor dir(::open(native(directory).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!dir.valid())
        failWithErrno();
    return dir;
}

enum class Wait { durable, started };

// Creates `name` in `dir` exclusively with mode 0600, writes it and flushes it
// or only starts writing it back. A file that was created but not completely
// written is removed again.
void writeNewFile(const Descriptor &dir, const QByteArray &name, const QByteArray &bytes, Wait wait = Wait::durable)
{
    Descriptor file(::openat(dir.get(), name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                             PrivateFiles::fileMode));
    if (!file.valid())
        failWithErrno();
    try {
        // The umask may have narrowed the mode, never widened it; set it exactly
        // before any byte is written.
        if (::fchmod(file.get(), PrivateFiles::fileMode) != 0)
            failWithErrno();
        writeAll(file.get(), bytes);
        if (wait == Wait::durable && ::fsync(file.get()) != 0)
            failWithErrno();
#ifdef __linux__
        // The disk works on this file while the caller prepares the next one.
        if (wait == Wait::started)
            (void)::sync_file_range(file.get(), 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
        if (file.release() != 0)
            failWithErrno();
    } catch (...) {
        // Ours alone: we just created it exclusively.
        ::unlinkat(dir.get(), name.constData(), 0);
        throw;
    }
}

} // namespace

void PrivateFiles::replace(const QString &directory, const QString &fileName, const QByteArray &bytes,
                           const QString &temporaryName)
{
    const Descriptor dir = openDirectory(directory);
    const QByteArray temporary = native(temporaryName);
    writeNewFile(dir, temporary, bytes);
    if (::renameat(dir.get(), temporary.constData(), dir.get(), native(fileName).constData()) != 0) {
        const int error = errno;
        ::unlinkat(dir.get(), temporary.constData(), 0);
        throw FileError(FileError::Code::writeUnknown, error);
    }
    // Makes the rename itself survive a power loss.
    if (::fsync(dir.get()) != 0)
        failWithErrno();
}

void PrivateFiles::create(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    const Descriptor dir = openDirectory(info.absolutePath());
    writeNewFile(dir, native(info.fileName()), bytes, Wait::started);
}

void PrivateFiles::flush(const QString &directory, const QStringList &names)
{
    const Descriptor dir = openDirectory(directory);
    for (const QString &name : names) {
        const Descriptor file(::openat(dir.get(), native(name).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (!file.valid() || ::fsync(file.get()) != 0)
            failWithErrno();
    }
    if (::fsync(dir.get()) != 0)
        failWithErrno();
}

void PrivateFiles::remove(const QString &path)
{
    if (::unlink(native(path).constData()) != 0 && errno != ENOENT)
        failWithErrno();
}

void PrivateFiles::removeMatching(const QString &directory, const std::function<bool(QStringView)> &matches)
{
    const int fd = ::open(native(directory).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return;
        failWithErrno();
    }
    DIR *listing = ::fdopendir(fd); // owns fd from here on
    if (!listing) {
        ::close(fd);
        failWithErrno();
    }
    const std::unique_ptr<DIR, int (*)(DIR *)> closer(listing, ::closedir);
    QList<QByteArray> doomed;
    while (const dirent *entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        struct stat status = {};
        if (!matches(QFile::decodeName(name)) || ::fstatat(fd, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0
            || !S_ISREG(status.st_mode))
            continue;
        doomed.append(name);
    }
    for (const QByteArray &name : doomed) {
        if (::unlinkat(fd, name.constData(), 0) != 0 && errno != ENOENT)
            failWithErrno();
    }
}

bool PrivateFiles::isTemporaryName(QStringView name, QStringView prefix, QStringView suffix)
{
    if (!name.startsWith(prefix) || !name.endsWith(suffix) || name.size() != prefix.size() + 36 + suffix.size())
        return false;
    const QStringView uuid = name.sliced(prefix.size(), 36);
    return Text::isUuid(uuid) && uuid.toString().toUpper() == uuid;
}

void PrivateFiles::sweepTemporaries(const QString &directory, QStringView prefix, QStringView suffix) noexcept
{
    try {
        removeMatching(directory, [prefix, suffix](QStringView name) { return isTemporaryName(name, prefix, suffix); });
    } catch (...) {
        // Left for the next open; a stray temporary file is never read.
    }
}

namespace {

// The whole file `name` relative to `dir`, never following a link at the last step.
std::optional<QByteArray> readAt(int dir, const QByteArray &name, qint64 limit)
{
    struct stat status = {};
    if (::fstatat(dir, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return std::nullopt;
        failWithErrno();
    }
    // Non-blocking so that a FIFO swapped in after the check cannot hang us.
    const Descriptor file(::openat(dir, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file.valid())
        failWithErrno();
    if (::fstat(file.get(), &status) != 0)
        failWithErrno();
    if (!S_ISREG(status.st_mode))
        throw FileError(FileError::Code::noPermission);
    if (status.st_size > limit)
        throw FileError(FileError::Code::tooLarge);

    QByteArray bytes;
    bytes.resize(qsizetype(status.st_size) + 1);
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::read(file.get(), bytes.data() + filled, std::size_t(bytes.size() - filled));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            failWithErrno();
        }
        if (got == 0)
            break;
        filled += got;
    }
    // A file that grew while we read it is not the file we measured.
    if (filled > status.st_size)
        throw FileError(FileError::Code::corruptFile);
    bytes.truncate(filled);
    return bytes;
}

} // namespace

std::optional<QByteArray> PrivateFiles::read(const QString &path, qint64 limit)
{
    return readAt(AT_FDCWD, native(path), limit);
}

std::optional<QByteArray> PrivateFiles::readIn(const QString &directory, const QString &name, qint64 limit)
{
    const Descriptor dir(::open(native(directory).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!dir.valid()) {
        if (errno == ENOENT)
            return std::nullopt;
        failWithErrno(); // a link or no directory at all: not ours to read through
    }
    return readAt(dir.get(), native(name), limit);
}

} // namespace vorno
