// The upload client's reading of TUS answers: status, Location and
// Upload-Offset as the server sent them. An accepted offset lies within the
// file; an accepted location is an upload of the same endpoint.
#include "FuzzInput.h"

#include "services/TusAnswer.h"

using namespace vorno;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    const int status = 100 + (data[0] | (data[1] << 8)) % 500;
    const qint64 total = qint64(data[2]) << (data[3] % 40);
    const QList<QByteArray> fields = FuzzInput(data + 4, size - 4).fields(2);
    static const QUrl endpoint(QStringLiteral("https://project.storage.example/storage/v1/upload/resumable"));

    if (const std::optional<qint64> offset = TusAnswer::offset(status, fields[0], total))
        FUZZ_ASSERT(*offset >= 0 && *offset <= total && (status == 200 || status == 204));
    if (TusAnswer::confirms(status, fields[0], total))
        FUZZ_ASSERT(status == 204 && fields[0].toLongLong() == total);
    if (const std::optional<QUrl> created = TusAnswer::created(status, fields[1], endpoint)) {
        FUZZ_ASSERT(status == 201 && created->host() == endpoint.host() && created->scheme() == endpoint.scheme());
        FUZZ_ASSERT(created->port() == endpoint.port() && created->userInfo().isEmpty());
        FUZZ_ASSERT(created->path().startsWith(endpoint.path() + u'/') && !created->path().contains(u".."));
        // The address we keep and send again must be one we accept again.
        FUZZ_ASSERT(TusAnswer::isUpload(QUrl(created->toString(QUrl::FullyEncoded), QUrl::StrictMode), endpoint));
    }
    return 0;
}
