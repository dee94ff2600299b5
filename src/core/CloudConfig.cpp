#include "core/CloudConfig.h"

#include "core/CloudError.h"
#include "core/DecodingError.h"
#include "core/JsonCoding.h"
#include "core/RawUrl.h"

namespace vorno {

namespace json {
template<>
struct Coding<CloudConfig>
{
    static CloudConfig read(const Reader &json)
    {
        const QString text = json.string("url");
        const std::optional<RawUrl> raw = RawUrl::parse(text);
        const QUrl url(text, QUrl::StrictMode);
        if (!raw || !url.isValid())
            throw DecodingError("url: not a URL");
        // Checked on the text as sent: QUrl would fold "HTTPS" to "https".
        if (raw->scheme != u"https" || !raw->host || raw->host->isEmpty() || raw->userInfo || raw->query
            || raw->fragment)
            throw CloudError(CloudFailure::invalid);
        return {url, json.string("publishableKey")};
    }
};
} // namespace json

CloudConfig CloudConfig::fromJson(const QByteArray &json)
{
    return json::decode<CloudConfig>(json);
}

} // namespace vorno
