#pragma once

#include <QJsonArray>
#include <QJsonObject>

// Case tables kept as JSON under tests/data, so long lists read as data.
namespace datacases {

// The document tests/data/<name>; fails the calling test when it cannot be read.
[[nodiscard]] QJsonObject load(const QString &name);
// One QTest row per object of `cases`, named by its "name", in a column "row".
void addRows(const QJsonArray &cases);
// The same for the table `table` of tests/data/<file>.
void addRows(const QString &file, const QString &table);
// The typed table `table` of tests/data/<file>: {"columns": [[name, type,
// note?], …], "rows": [[row name, value, …], …]}, read by the test with
// QFETCH as if its columns had been added in code. Types: QString (null for a
// null string, or an array of pieces: strings, [string, times] and UTF-16
// units by number), QByteArray (a string as UTF-8, {"hex": …}, null),
// QStringList, QDateTime (ISO 8601, null for an invalid one), QPoint ([x, y]),
// QRect ([x, y, width, height]), QJsonArray, QVariant (the JSON value; null
// for an invalid one), bool, int, qint64 and double.
void addTable(const QString &file, const QString &table);
// The bytes a case describes: "text" as UTF-8, "hex" as raw bytes, or
// "document" written compactly.
[[nodiscard]] QByteArray bytesOf(const QJsonObject &row);

} // namespace datacases
