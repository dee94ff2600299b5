#pragma once

#include "core/CloudFailure.h"

#include <exception>

namespace vorno {

// Thrown by every cloud, login and vault operation.
class CloudError : public std::exception
{
public:
    explicit CloudError(CloudFailure failure) : m_failure(failure) { }

    [[nodiscard]] CloudFailure failure() const { return m_failure; }
    [[nodiscard]] const char *what() const noexcept override;

private:
    CloudFailure m_failure;
};

} // namespace vorno
