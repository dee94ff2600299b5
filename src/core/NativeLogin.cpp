#include "core/NativeLogin.h"

#include "core/CloudError.h"
#include "core/RawUrl.h"
#include "core/Text.h"

#include <QRandomGenerator>

#include <algorithm>
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

NativeLogin::NativeLogin() : m_verifier(randomToken()), m_state(randomToken())
{
}

NativeLogin::NativeLogin(QString verifier, QString state) : m_verifier(std::move(verifier)), m_state(std::move(state))
{
}

QString NativeLogin::challenge() const
{
    return Text::base64Url(Text::sha256(m_verifier.toUtf8()));
}

namespace {

// The query items of a callback for `state`, or nothing when the URL is not one.
std::optional<QList<RawUrl::QueryItem>> callbackItems(QStringView url, const QString &state, const QString &scheme)
{
    const std::optional<RawUrl> parsed = RawUrl::parse(url);
    if (!parsed || parsed->scheme != scheme || parsed->host != QStringView(u"auth") || parsed->path != u"/callback")
        return std::nullopt;
    QList<RawUrl::QueryItem> items = parsed->queryItems();
    const auto states
        = std::count_if(items.cbegin(), items.cend(), [](const auto &item) { return item.name == u"state"; });
    const auto match
        = std::find_if(items.cbegin(), items.cend(), [](const auto &item) { return item.name == u"state"; });
    if (states != 1 || match->value != state)
        return std::nullopt;
    return items;
}

} // namespace

bool NativeLogin::isCallback(QStringView url, const QString &state, const QString &scheme)
{
    return callbackItems(url, state, scheme).has_value();
}

QString NativeLogin::code(QStringView url, const QString &scheme) const
{
    const std::optional<QList<RawUrl::QueryItem>> items = callbackItems(url, m_state, scheme);
    if (!items)
        throw CloudError(CloudFailure::authentication);

    std::optional<QString> code;
    int codes = 0;
    for (const RawUrl::QueryItem &item : *items) {
        if (item.name == u"error")
            throw CloudError(CloudFailure::authentication);
        if (item.name == u"code") {
            ++codes;
            code = item.value;
        }
    }
    if (codes != 1 || !code || code->isEmpty() || Text::characterCount(*code) > maximumCodeLength)
        throw CloudError(CloudFailure::authentication);
    return *code;
}

} // namespace vorno
