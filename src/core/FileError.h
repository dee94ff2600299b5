#pragma once

#include <exception>

namespace vorno {

// A file-system failure of the draft file, the staging check or the shared
// private-file helpers.
class FileError : public std::exception
{
public:
    enum class Code {
        io,                // the system refused an operation; see systemError()
        corruptFile,       // readable, but not a file we understand
        writeUnknown,      // the final rename failed
        unsupportedScheme, // not a local file location
        noPermission,      // a folder, a link, or not readable
        tooLarge,          // larger than the caller allows
    };

    FileError(Code code, int systemError = 0) : m_code(code), m_systemError(systemError) { }

    [[nodiscard]] Code code() const { return m_code; }
    [[nodiscard]] int systemError() const { return m_systemError; }
    [[nodiscard]] const char *what() const noexcept override;

private:
    Code m_code;
    int m_systemError;
};

} // namespace vorno
