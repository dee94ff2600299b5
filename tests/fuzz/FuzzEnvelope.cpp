// Opening a sealed session file: whatever the bytes, the cipher answers with
// plaintext or an exception, and only an envelope it sealed opens.
#include "FuzzInput.h"

#include "services/EnclaveSessionCipher.h"
#include "SoftwareKeyStore.h"

#include <exception>

using namespace vorno;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const auto keys = std::make_shared<SoftwareKeyStore>();
    static const EnclaveSessionCipher cipher(keys);
    static const QUrl origin(QStringLiteral("https://vorno.example"));
    try {
        const QByteArray plaintext = cipher.open(FuzzInput(data, size).bytes, origin);
        FUZZ_ASSERT(plaintext.size() <= EnclaveSessionCipher::maximumPlaintext);
    } catch (const std::exception &) {
    }
    return 0;
}
