#pragma once

#include "core/CollectedFile.h"

#include <QByteArray>

namespace vorno {

// A file accepted by the policy: its new record and the bytes that were read,
// which become the recovery copy.
struct FileCandidate
{
    CollectedFile file;
    QByteArray bytes;

    friend bool operator==(const FileCandidate &, const FileCandidate &) = default;
};

} // namespace vorno
