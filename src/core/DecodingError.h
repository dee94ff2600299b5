#pragma once

#include <exception>
#include <string>

namespace vorno {

// A JSON document that is not the record it should be. Callers treat it as
// "other", apart from the cloud failures.
class DecodingError : public std::exception
{
public:
    // `where` names the member path (never a value), for developers.
    explicit DecodingError(std::string where) : m_what(std::move(where)) { }

    [[nodiscard]] const char *what() const noexcept override { return m_what.c_str(); }

private:
    std::string m_what;
};

} // namespace vorno
