#pragma once

#include <QString>
#include <QtGlobal>

#include <QCoro/QCoroTask>

namespace vorno {

class FileCollectionStore;
struct FileCollectionRun;

// The sending half of the file collection store: preflight and registration
// of a free batch, then each file's registration, upload, completion and
// processing. Every answer is kept in the store's batch before the next step,
// so an interrupted delivery continues where it stopped.
class FileDelivery
{
public:
    explicit FileDelivery(FileCollectionStore &store) : m_store(store) { }

    [[nodiscard]] QCoro::Task<> deliver(FileCollectionRun run);

private:
    [[nodiscard]] QCoro::Task<> preflight(FileCollectionRun run);
    [[nodiscard]] QCoro::Task<> registerFree(FileCollectionRun run);
    [[nodiscard]] QCoro::Task<> collect(qsizetype index, FileCollectionRun run);
    [[nodiscard]] QCoro::Task<> upload(qsizetype index, QString bucket, QString path, FileCollectionRun run);

    FileCollectionStore &m_store;
};

} // namespace vorno
