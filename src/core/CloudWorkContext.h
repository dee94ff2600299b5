#pragma once

#include "core/CloudWorkPeriod.h"

#include <QString>

#include <optional>

namespace vorno {

// The project a work record belongs to.
struct CloudWorkContext
{
    std::optional<QString> projectName;
    std::optional<CloudWorkPeriod> period;

    friend bool operator==(const CloudWorkContext &, const CloudWorkContext &) = default;
};

} // namespace vorno
