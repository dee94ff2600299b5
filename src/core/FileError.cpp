#include "core/FileError.h"

namespace vorno {

const char *FileError::what() const noexcept
{
    switch (m_code) {
    case Code::io:
        return "file system error";
    case Code::corruptFile:
        return "corrupt file";
    case Code::writeUnknown:
        return "could not replace file";
    case Code::unsupportedScheme:
        return "not a local file";
    case Code::noPermission:
        return "not a readable regular file";
    case Code::tooLarge:
        return "file too large";
    }
    return "file error";
}

} // namespace vorno
