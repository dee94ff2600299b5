// The file-request path check: method, then path. A path it allows stays on
// the web origin once resolved against it.
#include "FuzzInput.h"

#include "services/CloudClient.h"

using namespace vorno;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> fields = FuzzInput(data, size).fields(2);
    const QString method = QString::fromUtf8(fields[0]);
    const QString path = QString::fromUtf8(fields[1]);
    if (!CloudClient::isAllowedFileRequest(path, method))
        return 0;
    static const QUrl origin(QStringLiteral("https://vorno.example"));
    const QUrl target = origin.resolved(QUrl(path, QUrl::StrictMode));
    FUZZ_ASSERT(target.isValid() && target.scheme() == origin.scheme() && target.host() == origin.host());
    FUZZ_ASSERT(target.port() == origin.port() && target.userInfo().isEmpty() && !target.hasFragment());
    FUZZ_ASSERT(target.path().startsWith(u"/api/"));
    return 0;
}
