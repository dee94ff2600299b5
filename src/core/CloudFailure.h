#pragma once

namespace vorno {

// What went wrong talking to the account; stores map each case to one notice.
enum class CloudFailure {
    authentication,
    unavailable,
    changed,
    storage,
    invalid,
};

[[nodiscard]] const char *name(CloudFailure failure);

} // namespace vorno
