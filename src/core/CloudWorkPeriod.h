#pragma once

#include <QString>

namespace vorno {

struct CloudWorkPeriod
{
    QString start;
    QString end;

    friend bool operator==(const CloudWorkPeriod &, const CloudWorkPeriod &) = default;
};

} // namespace vorno
