#include "core/FileStatus.h"

#include <array>
#include <utility>

namespace vorno {

namespace {

constexpr std::array<std::pair<FileStatus, QStringView>, 9> names {{
    {FileStatus::local, u"local"},
    {FileStatus::uploaded, u"uploaded"},
    {FileStatus::pendingUpload, u"pending_upload"},
    {FileStatus::queued, u"queued"},
    {FileStatus::parsing, u"parsing"},
    {FileStatus::extracting, u"extracting"},
    {FileStatus::readyForReview, u"ready_for_review"},
    {FileStatus::failed, u"failed"},
    {FileStatus::deleted, u"deleted"},
}};

} // namespace

FileStatus fileStatus(QStringView name)
{
    for (const auto &[status, text] : names) {
        if (text == name)
            return status;
    }
    return FileStatus::other;
}

QString fileStatusName(FileStatus status)
{
    for (const auto &[known, text] : names) {
        if (known == status)
            return text.toString();
    }
    return {};
}

} // namespace vorno
