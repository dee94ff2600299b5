#pragma once

#include <QList>
#include <QMap>
#include <QPointer>
#include <QUrl>

#include <optional>

namespace vorno {

class CaptureStore;

// Gathers the items of one drop, which may answer in any order, and stages
// them in drop order once every item has answered; one item that is not a
// readable local file spoils the whole drop.
class DropBatch
{
public:
    DropBatch(CaptureStore *store, qsizetype expected) : m_store(store), m_expected(expected) { }

    // The answer of the item at `position`: its file, or none.
    void received(std::optional<QUrl> location, qsizetype position);

    [[nodiscard]] bool isComplete() const { return m_received >= m_expected; }

    // Where each item of a drop points, in drop order: a file URL, or none
    // for anything that is not a local file.
    [[nodiscard]] static std::optional<QUrl> locationOf(const QUrl &item);

private:
    QPointer<CaptureStore> m_store;
    qsizetype m_expected;
    qsizetype m_received = 0;
    QMap<qsizetype, QUrl> m_results;
};

} // namespace vorno
