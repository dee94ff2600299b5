#include "Outcome.h"

#include "support/CancelledError.h"
#include "core/CloudError.h"
#include "core/DecodingError.h"
#include "core/FileCollectionError.h"
#include "core/FileError.h"
#include "services/TransportError.h"

namespace testsupport {

using namespace vorno;

QString outcomeOf(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const CloudError &cloud) {
        return QString::fromLatin1(name(cloud.failure()));
    } catch (const FileCollectionError &collection) {
        switch (collection.failure().kind) {
        case FileCollectionFailure::Kind::changed:
            return QStringLiteral("changed");
        case FileCollectionFailure::Kind::unavailable:
            return QStringLiteral("storage unavailable");
        case FileCollectionFailure::Kind::server:
            break;
        }
        return QStringLiteral("server:") + collection.failure().code;
    } catch (const FileError &) {
        return QStringLiteral("file error");
    } catch (const DecodingError &) {
        return QStringLiteral("decoding");
    } catch (const CancelledError &) {
        return QStringLiteral("cancelled");
    } catch (const TransportError &transport) {
        switch (transport.kind()) {
        case TransportError::Kind::timeout:
            return QStringLiteral("timeout");
        case TransportError::Kind::tooLarge:
            return QStringLiteral("tooLarge");
        case TransportError::Kind::cancelled:
            return QStringLiteral("cancelled");
        case TransportError::Kind::network:
            break;
        }
        return QStringLiteral("network");
    } catch (const std::exception &other) {
        return QString::fromUtf8(other.what());
    }
}

} // namespace testsupport
