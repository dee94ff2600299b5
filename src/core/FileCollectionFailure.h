#pragma once

#include <QString>

namespace vorno {

// What went wrong collecting files. Codes stay strings until they are shown.
struct FileCollectionFailure
{
    enum class Kind {
        server,      // `code` holds the service's or the client's own code
        changed,     // the local copy no longer matches its record
        unavailable, // the storage service broke the upload protocol
    };

    Kind kind = Kind::server;
    QString code;

    [[nodiscard]] static FileCollectionFailure server(QString code) { return {Kind::server, std::move(code)}; }
    [[nodiscard]] static FileCollectionFailure changed() { return {Kind::changed, {}}; }
    [[nodiscard]] static FileCollectionFailure unavailable() { return {Kind::unavailable, {}}; }

    friend bool operator==(const FileCollectionFailure &, const FileCollectionFailure &) = default;
};

namespace FileCollectionCode {
inline constexpr char invalidFile[] = "invalid_file";
inline constexpr char subscriptionRequired[] = "subscription_required";
inline constexpr char transferInterrupted[] = "transfer_interrupted";
inline constexpr char uploadNotComplete[] = "upload_not_complete";
inline constexpr char cloudUnavailable[] = "cloud_unavailable";
inline constexpr char localCleanupFailed[] = "local_cleanup_failed";
} // namespace FileCollectionCode

} // namespace vorno
