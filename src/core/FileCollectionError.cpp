#include "core/FileCollectionError.h"

namespace vorno {

FileCollectionError::FileCollectionError(FileCollectionFailure failure) : m_failure(std::move(failure))
{
    switch (m_failure.kind) {
    case FileCollectionFailure::Kind::server:
        // Codes are short identifiers from the service, never user data.
        m_what = "server: " + m_failure.code.left(64).toStdString();
        break;
    case FileCollectionFailure::Kind::changed:
        m_what = "changed";
        break;
    case FileCollectionFailure::Kind::unavailable:
        m_what = "unavailable";
        break;
    }
}

} // namespace vorno
