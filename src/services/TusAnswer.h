#pragma once

#include <QByteArray>
#include <QUrl>

#include <optional>

namespace vorno {

// How the upload client reads the storage server's TUS answers: the status,
// the Location of a new upload and the Upload-Offset it reports. Anything
// unexpected is "no", never a guess.
namespace TusAnswer {

// The new upload's address from a creation answer, when it is one of
// `endpoint`'s own uploads.
[[nodiscard]] std::optional<QUrl> created(int status, const QByteArray &location, const QUrl &endpoint);
// The offset a HEAD answer reports, when it is usable for `total` bytes.
[[nodiscard]] std::optional<qint64> offset(int status, const QByteArray &uploadOffset, qint64 total);
// Whether a PATCH answer confirms exactly the bytes up to `end`.
[[nodiscard]] bool confirms(int status, const QByteArray &uploadOffset, qint64 end);
// Whether `url` is an upload under `endpoint`: same origin, below its path,
// no dot segments, no user, query or fragment.
[[nodiscard]] bool isUpload(const QUrl &url, const QUrl &endpoint);

} // namespace TusAnswer

} // namespace vorno
