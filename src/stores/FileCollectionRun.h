#pragma once

#include "stores/CloudStore.h"
#include "stores/OperationGate.h"

#include <QPointer>
#include <QString>

namespace vorno {

// One run of file collection work for one account: stale once its store's
// generation ends or someone else is signed in.
struct FileCollectionRun
{
    OperationGate::Ticket ticket;
    QPointer<CloudStore> cloud;
    QString owner;

    [[nodiscard]] bool isCurrent() const
    {
        return ticket.isCurrent() && cloud && cloud->session() && cloud->session()->user.id == owner;
    }
    // Throws CloudError(authentication) once the run is stale.
    void check() const;
};

} // namespace vorno
