#include "support/Spawn.h"

#include "support/CancelledError.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcSpawn, "vorno.support.spawn")

namespace vorno::detail {

void reportSpawnFailure(const std::exception_ptr &error, const TaskErrorHandler &onError)
{
    if (onError) {
        onError(error);
        return;
    }
    try {
        std::rethrow_exception(error);
    } catch (const CancelledError &) {
        // Ending on request is not a failure.
    } catch (const std::exception &exception) {
        qCWarning(lcSpawn) << "a background task failed:" << exception.what();
    } catch (...) {
        qCWarning(lcSpawn) << "a background task failed with a non-standard exception";
    }
}

QCoro::Task<> runSpawned(QCoro::Task<> task, TaskErrorHandler onError)
{
    try {
        co_await std::move(task);
    } catch (...) {
        reportSpawnFailure(std::current_exception(), onError);
    }
}

} // namespace vorno::detail
