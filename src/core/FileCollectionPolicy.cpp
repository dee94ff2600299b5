#include "core/FileCollectionPolicy.h"

#include "core/CloudError.h"
#include "core/FileCollectionError.h"
#include "core/FileError.h"
#include "core/JsonCoding.h"
#include "core/PrivateFiles.h"
#include "core/Text.h"

#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace vorno {

namespace json {
template<>
struct Coding<FileCollectionPolicy::Copy>
{
    static FileCollectionPolicy::Copy read(const Reader &json);
    static void write(Writer &json, const FileCollectionPolicy::Copy &copy);
};
} // namespace json

FileCandidate FileCollectionPolicy::candidate(const QString &path) const
{
    struct stat status = {};
    const qint64 size = ::stat(QFile::encodeName(path).constData(), &status) == 0 ? qint64(status.st_size) : 0;
    if (size < 1 || size > std::min(maxBytes, maximumCopyBytes))
        throw FileCollectionError(FileCollectionFailure::server(QLatin1StringView(FileCollectionCode::invalidFile)));

    const QFileInfo info(path);
    const QString extension = info.suffix().toLower();
    if (info.suffix().isEmpty() || !extensions.contains(extension))
        throw FileCollectionError(FileCollectionFailure::server(QLatin1StringView(FileCollectionCode::invalidFile)));

    // Reads at most one byte past the measured size, so a file that grows
    // meanwhile is noticed without reading it all.
    QByteArray bytes;
    try {
        bytes = PrivateFiles::read(path, size).value_or(QByteArray());
    } catch (const FileError &error) {
        if (error.code() == FileError::Code::tooLarge || error.code() == FileError::Code::corruptFile)
            throw FileCollectionError(FileCollectionFailure::changed());
        throw;
    }
    if (bytes.size() != size)
        throw FileCollectionError(FileCollectionFailure::changed());

    const auto contentType = contentTypes.constFind(extension);
    if (contentType == contentTypes.cend())
        throw CloudError(CloudFailure::invalid);

    CollectedFile file;
    file.id = Text::newUuid(false);
    file.name = info.fileName();
    file.size = size;
    file.sha256 = Text::sha256Hex(bytes);
    file.contentType = *contentType;
    file.status = fileStatusName(FileStatus::local);
    return {.file = std::move(file), .bytes = std::move(bytes)};
}

FileCollectionPolicy::Copy json::Coding<FileCollectionPolicy::Copy>::read(const Reader &json)
{
    return {
        .checks = json.strings("checks"),
        .responsibility = json.string("responsibility"),
        .processing = json.string("processing"),
        .retention = json.string("retention"),
    };
}

void json::Coding<FileCollectionPolicy::Copy>::write(Writer &json, const FileCollectionPolicy::Copy &copy)
{
    json.set("checks", copy.checks);
    json.set("responsibility", copy.responsibility);
    json.set("processing", copy.processing);
    json.set("retention", copy.retention);
}

FileCollectionPolicy json::Coding<FileCollectionPolicy>::read(const Reader &json)
{
    return {
        .ownerId = json.string("ownerId"),
        .pro = json.boolean("pro"),
        .firstFree = json.boolean("firstFree"),
        .extensions = json.strings("extensions"),
        .contentTypes = json.stringMap("contentTypes"),
        .maxBytes = json.integer("maxBytes"),
        .consentVersion = json.string("consentVersion"),
        .copy = json.object<FileCollectionPolicy::Copy>("copy"),
    };
}

void json::Coding<FileCollectionPolicy>::write(Writer &json, const FileCollectionPolicy &policy)
{
    json.set("ownerId", policy.ownerId);
    json.set("pro", policy.pro);
    json.set("firstFree", policy.firstFree);
    json.set("extensions", policy.extensions);
    json.set("contentTypes", policy.contentTypes);
    json.set("maxBytes", policy.maxBytes);
    json.set("consentVersion", policy.consentVersion);
    json.set("copy", policy.copy);
}

FileCollectionPolicy FileCollectionPolicy::fromJson(const QByteArray &json)
{
    return json::decode<FileCollectionPolicy>(json);
}

QByteArray FileCollectionPolicy::toJson() const
{
    return json::encode(*this);
}

} // namespace vorno
