#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <utility>

namespace vorno {

// Builds addresses on the web origin and the storage project the same way
// everywhere: paths appended as components, query values fully percent-encoded.
namespace WebUrl {

using QueryItems = QList<std::pair<QString, QString>>;

// `base` with `path` ("a/b") appended after its own path, with one "/" between.
[[nodiscard]] QUrl appending(const QUrl &base, const QString &path);

// `url` with its query replaced by `items`, in order. Everything but the
// unreserved characters is percent-encoded, so "&", "=", "+" and spaces in a
// value cannot change the query's meaning.
// `literal` names further characters that stay as they are in the values.
[[nodiscard]] QUrl withQuery(QUrl url, const QueryItems &items, const QByteArray &literal = {});
} // namespace WebUrl

} // namespace vorno
