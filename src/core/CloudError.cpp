#include "core/CloudError.h"

namespace vorno {

const char *CloudError::what() const noexcept
{
    return name(m_failure);
}

} // namespace vorno
