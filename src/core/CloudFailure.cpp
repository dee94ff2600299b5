#include "core/CloudFailure.h"

namespace vorno {

const char *name(CloudFailure failure)
{
    switch (failure) {
    case CloudFailure::authentication:
        return "authentication";
    case CloudFailure::unavailable:
        return "unavailable";
    case CloudFailure::changed:
        return "changed";
    case CloudFailure::storage:
        return "storage";
    case CloudFailure::invalid:
        return "invalid";
    }
    return "unknown";
}

} // namespace vorno
