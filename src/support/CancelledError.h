#pragma once

#include <exception>

namespace vorno {

// A task gave up because its stop token was triggered or its owner ended it.
class CancelledError : public std::exception
{
public:
    [[nodiscard]] const char *what() const noexcept override { return "cancelled"; }
};

} // namespace vorno
