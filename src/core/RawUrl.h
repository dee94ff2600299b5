#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace vorno {

// A URL split into its parts exactly as written (RFC 3986), with no case folding
// or other normalisation, so that callbacks can be compared character by
// character. Anything that is not a well-formed absolute URL does not parse.
struct RawUrl
{
    struct QueryItem
    {
        QString name;                 // percent-decoded
        std::optional<QString> value; // percent-decoded; absent without "=" or when not UTF-8

        friend bool operator==(const QueryItem &, const QueryItem &) = default;
    };

    QString scheme;                  // empty for a relative reference
    std::optional<QString> userInfo; // the part before "@" in the authority
    std::optional<QString> host;     // present when the reference has an authority
    QString path;                    // still percent-encoded
    std::optional<QString> query;
    std::optional<QString> fragment;

    [[nodiscard]] static std::optional<RawUrl> parse(QStringView text);
    // Like parse(), but also accepts relative references such as "/a/b?c".
    [[nodiscard]] static std::optional<RawUrl> parseReference(QStringView text);

    // The query as name/value items in order; none without a query.
    [[nodiscard]] QList<QueryItem> queryItems() const;

    friend bool operator==(const RawUrl &, const RawUrl &) = default;
};

} // namespace vorno
