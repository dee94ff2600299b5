#include "services/TusAnswer.h"

namespace vorno {

namespace {

std::optional<qint64> decimal(const QByteArray &text)
{
    // A non-negative decimal integer with nothing else around it.
    if (text.isEmpty() || text.size() > 18)
        return std::nullopt;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
    }
    return text.toLongLong();
}

} // namespace

std::optional<QUrl> TusAnswer::created(int status, const QByteArray &location, const QUrl &endpoint)
{
    if (status != 201 || location.isEmpty() || location.contains(".."))
        return std::nullopt;
    const QUrl address = endpoint.resolved(QUrl(QString::fromUtf8(location), QUrl::StrictMode));
    if (!isUpload(address, endpoint))
        return std::nullopt;
    return address;
}

std::optional<qint64> TusAnswer::offset(int status, const QByteArray &uploadOffset, qint64 total)
{
    const std::optional<qint64> reported = decimal(uploadOffset);
    if ((status != 200 && status != 204) || !reported || *reported > total)
        return std::nullopt;
    return reported;
}

bool TusAnswer::confirms(int status, const QByteArray &uploadOffset, qint64 end)
{
    return status == 204 && uploadOffset == QByteArray::number(end);
}

bool TusAnswer::isUpload(const QUrl &url, const QUrl &endpoint)
{
    const QString path = url.path(QUrl::FullyDecoded);
    return url.isValid() && url.scheme() == endpoint.scheme() && url.host() == endpoint.host()
        && url.port() == endpoint.port() && url.userInfo().isEmpty() && !url.hasQuery() && !url.hasFragment()
        && path.startsWith(endpoint.path(QUrl::FullyDecoded) + u'/') && !path.contains(u"..")
        && !url.path(QUrl::FullyEncoded).contains(u"..");
}

} // namespace vorno
