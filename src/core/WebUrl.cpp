#include "core/WebUrl.h"

namespace vorno {

QUrl WebUrl::appending(const QUrl &base, const QString &path)
{
    QUrl url = base;
    QString joined = base.path(QUrl::FullyEncoded);
    if (!joined.endsWith(u'/'))
        joined += u'/';
    joined += QString::fromLatin1(QUrl::toPercentEncoding(path, "/"));
    url.setPath(joined, QUrl::StrictMode);
    return url;
}

QUrl WebUrl::withQuery(QUrl url, const QueryItems &items, const QByteArray &literal)
{
    QString query;
    for (const auto &[name, value] : items) {
        if (!query.isEmpty())
            query += u'&';
        query += QString::fromLatin1(QUrl::toPercentEncoding(name)) + u'='
            + QString::fromLatin1(QUrl::toPercentEncoding(value, literal));
    }
    url.setQuery(query, QUrl::StrictMode);
    return url;
}

} // namespace vorno
