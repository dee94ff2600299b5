#include "core/RawUrl.h"

#include <QStringDecoder>

#include <algorithm>

namespace vorno {

namespace {

bool isAlpha(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isHex(QChar c)
{
    return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Characters a URL may carry literally: unreserved, reserved and "%".
bool isUrlCharacter(QChar c)
{
    static constexpr QStringView others = u"-._~:/?#[]@!$&'()*+,;=%";
    return isAlpha(c) || isDigit(c) || others.contains(c);
}

bool hasValidEscapes(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isUrlCharacter(text[i]))
            return false;
        if (text[i] == u'%') {
            if (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2]))
                return false;
            i += 2;
        }
    }
    return true;
}

std::optional<QString> percentDecoded(QStringView text)
{
    const QByteArray bytes = QByteArray::fromPercentEncoding(text.toLatin1());
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return decoded;
}

} // namespace

std::optional<RawUrl> RawUrl::parse(QStringView text)
{
    std::optional<RawUrl> url = parseReference(text);
    if (url && url->scheme.isEmpty())
        return std::nullopt;
    return url;
}

std::optional<RawUrl> RawUrl::parseReference(QStringView text)
{
    if (!hasValidEscapes(text))
        return std::nullopt;

    RawUrl url;
    QStringView rest = text;
    // A scheme is letters, digits, "+", "-" and "." before the first ":", and
    // only counts when that ":" comes before any "/", "?" or "#".
    const qsizetype colon = text.indexOf(u':');
    const auto firstDelimiter
        = std::find_if(text.begin(), text.end(), [](QChar c) { return c == u'/' || c == u'?' || c == u'#'; });
    const qsizetype delimiter = firstDelimiter == text.end() ? -1 : firstDelimiter - text.begin();
    if (colon >= 0 && (delimiter < 0 || colon < delimiter)) {
        if (colon == 0 || !isAlpha(text[0]))
            return std::nullopt;
        for (const QChar c : text.first(colon)) {
            if (!isAlpha(c) && !isDigit(c) && c != u'+' && c != u'-' && c != u'.')
                return std::nullopt;
        }
        url.scheme = text.first(colon).toString();
        rest = text.sliced(colon + 1);
    }

    const qsizetype hash = rest.indexOf(u'#');
    if (hash >= 0) {
        url.fragment = rest.sliced(hash + 1).toString();
        rest = rest.first(hash);
    }
    const qsizetype question = rest.indexOf(u'?');
    if (question >= 0) {
        url.query = rest.sliced(question + 1).toString();
        rest = rest.first(question);
    }
    if (rest.startsWith(u"//")) {
        rest = rest.sliced(2);
        const qsizetype slash = rest.indexOf(u'/');
        QStringView authority = slash >= 0 ? rest.first(slash) : rest;
        rest = slash >= 0 ? rest.sliced(slash) : QStringView();
        const qsizetype at = authority.lastIndexOf(u'@');
        if (at >= 0) {
            url.userInfo = authority.first(at).toString();
            authority = authority.sliced(at + 1);
        }
        if (!authority.startsWith(u'[')) {
            const qsizetype portColon = authority.lastIndexOf(u':');
            if (portColon >= 0) {
                for (const QChar c : authority.sliced(portColon + 1)) {
                    if (!isDigit(c))
                        return std::nullopt;
                }
                authority = authority.first(portColon);
            }
        }
        url.host = authority.toString();
    }
    url.path = rest.toString();
    return url;
}

QList<RawUrl::QueryItem> RawUrl::queryItems() const
{
    QList<QueryItem> items;
    if (!query || query->isEmpty())
        return items;
    const QList<QStringView> parts = QStringView(*query).split(u'&');
    for (const QStringView part : parts) {
        const qsizetype equals = part.indexOf(u'=');
        QueryItem item;
        const std::optional<QString> name = percentDecoded(equals >= 0 ? part.first(equals) : part);
        // A name that is not UTF-8 can never equal a name we look for.
        item.name = name.value_or(QStringLiteral("\uFFFD"));
        if (equals >= 0)
            item.value = percentDecoded(part.sliced(equals + 1));
        items.append(std::move(item));
    }
    return items;
}

} // namespace vorno
