#include "views/DropBatch.h"

#include "stores/CaptureStore.h"

namespace vorno {

void DropBatch::received(std::optional<QUrl> location, qsizetype position)
{
    if (isComplete())
        return;
    ++m_received;
    if (location)
        m_results.insert(position, *location);
    if (!isComplete() || !m_store)
        return;
    if (m_results.size() < m_expected) {
        m_store->setNotice(Words::fileError);
        m_store->show(CaptureStore::Page::files);
        return;
    }
    // QMap iterates its positions in ascending order: the drop order.
    m_store->stage(m_results.values());
}

std::optional<QUrl> DropBatch::locationOf(const QUrl &item)
{
    if (!item.isValid() || !item.isLocalFile() || item.toLocalFile().isEmpty())
        return std::nullopt;
    return item;
}

} // namespace vorno
