#include "NativeLogin.h"

#include "CloudError.h"
#include "RawUrl.h"
#include "Text.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

#include <array>

namespace vorno {

namespace {

QString randomToken()
{
    std::array<quint32, 8> words {}; // 32 bytes
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    return Text::base64Url(QByteArray(reinterpret_cast<const char *>(words.data()), sizeof(words)));
}

} // namespace

NativeLogin::NativeLogin() : m_verifier(randomToken()), m_state(randomToken()) { }

NativeLogin::NativeLogin(QString verifier, QString state) : m_verifier(std::move(verifier)), m_state(std::move(state)) { }

QString NativeLogin::challenge() const
{
    return Text::base64Url(QCryptographicHash::hash(m_verifier.toUtf8(), QCryptographicHash::Sha256));
}

QString NativeLogin::code(QStringView url, const QString &scheme) const
{
    const std::optional<RawUrl> parsed = RawUrl::parse(url);
    if (!parsed || parsed->scheme != scheme || parsed->host != QStringView(u"auth") || parsed->path != u"/callback")
        throw CloudError(CloudFailure::authentication);

    const QList<RawUrl::QueryItem> items = parsed->queryItems();
    const auto named = [&items](QStringView name) {
        QList<RawUrl::QueryItem> found;
        for (const RawUrl::QueryItem &item : items) {
            if (item.name == name)
                found.append(item);
        }
        return found;
    };

    const QList<RawUrl::QueryItem> states = named(u"state");
    const QList<RawUrl::QueryItem> codes = named(u"code");
    const bool stateMatches = states.size() == 1 && states.first().value == m_state;
    const bool codeAcceptable = codes.size() == 1 && codes.first().value && !codes.first().value->isEmpty()
        && Text::characterCount(*codes.first().value) <= maximumCodeLength;
    if (!stateMatches || !codeAcceptable || !named(u"error").isEmpty())
        throw CloudError(CloudFailure::authentication);
    return *codes.first().value;
}

} // namespace vorno
