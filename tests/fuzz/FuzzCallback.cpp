// The sign-in callback check: state, then the URL text. A code is only ever
// read from a URL the check accepts, and the check never throws.
#include "FuzzInput.h"

#include "core/NativeLogin.h"

#include <exception>

using namespace vorno;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> fields = FuzzInput(data, size).fields(2);
    const QString state = QString::fromUtf8(fields[0]);
    const QString url = QString::fromUtf8(fields[1]);
    const QString scheme = QStringLiteral("app.vorno.desktop");
    const bool accepted = NativeLogin::isCallback(url, state, scheme);
    try {
        const QString code = NativeLogin(QStringLiteral("verifier"), state).code(url, scheme);
        FUZZ_ASSERT(accepted && !code.isEmpty());
    } catch (const std::exception &) {
        // refused: nothing was read from the URL
    }
    return 0;
}
