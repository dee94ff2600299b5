#include "services/TransportError.h"

namespace vorno {

const char *TransportError::what() const noexcept
{
    switch (m_kind) {
    case Kind::network:
        return "network error";
    case Kind::timeout:
        return "request timed out";
    case Kind::cancelled:
        return "request cancelled";
    case Kind::tooLarge:
        return "answer too large";
    }
    return "transport error";
}

} // namespace vorno
