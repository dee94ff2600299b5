#pragma once

#include <exception>

namespace vorno {

// The TPM could not be reached or refused an operation.
class TpmError : public std::exception
{
public:
    TpmError(const char *step, unsigned int code) : m_step(step), m_code(code) { }

    [[nodiscard]] const char *what() const noexcept override { return m_step; }
    // The TSS2_RC of the failed call, for diagnostics.
    [[nodiscard]] unsigned int code() const { return m_code; }

private:
    const char *m_step;
    unsigned int m_code;
};

} // namespace vorno
