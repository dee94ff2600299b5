#pragma once

#include "core/FileCollectionFailure.h"

#include <exception>
#include <string>

namespace vorno {

// Thrown by the file collection parts and by the client's file requests.
class FileCollectionError : public std::exception
{
public:
    explicit FileCollectionError(FileCollectionFailure failure);

    [[nodiscard]] const FileCollectionFailure &failure() const { return m_failure; }
    [[nodiscard]] const char *what() const noexcept override { return m_what.c_str(); }

private:
    FileCollectionFailure m_failure;
    std::string m_what;
};

} // namespace vorno
