// The local draft reader, on a real file: any bytes give a draft, nothing,
// or an exception, and a draft that reads saves and reads back unchanged.
#include "FuzzInput.h"

#include "core/DraftFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <exception>

using namespace vorno;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // On tmpfs where there is one: every save syncs, and the reader's logic,
    // not the disk, is what is fuzzed here (the crash harness covers the disk).
    static QTemporaryDir directory(QDir(QStringLiteral("/dev/shm")).exists()
                                       ? QStringLiteral("/dev/shm/vorno-fuzz-XXXXXX")
                                       : QDir::tempPath() + QStringLiteral("/vorno-fuzz-XXXXXX"));
    static const DraftFile draft {directory.path() + QStringLiteral("/drafts/draft.json")};
    QDir().mkpath(directory.path() + QStringLiteral("/drafts"));
    {
        QFile file(draft.path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    try {
        const std::optional<LocalDraft> read = draft.read();
        if (read && !read->text.isEmpty()) {
            draft.save(*read);
            FUZZ_ASSERT(draft.read() == read);
        }
    } catch (const std::exception &) {
    }
    return 0;
}
