#pragma once

#include <exception>

namespace vorno {

// A cryptographic operation failed: a malformed key or point, a failed
// authentication tag, or the library refusing an operation.
class CryptoError : public std::exception
{
public:
    explicit CryptoError(const char *step) : m_step(step) { }

    [[nodiscard]] const char *what() const noexcept override { return m_step; }

private:
    const char *m_step;
};

} // namespace vorno
