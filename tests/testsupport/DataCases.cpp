#include "DataCases.h"

#include <QFile>
#include <QJsonDocument>
#include <QTest>

namespace datacases {

QJsonObject load(const QString &name)
{
    QFile file(QStringLiteral(VORNO_SOURCE_DIR "/tests/data/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read the case table %s", qPrintable(file.fileName()));
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        qFatal("%s: %s at %d", qPrintable(name), qPrintable(error.errorString()), error.offset);
    return document.object();
}

void addRows(const QJsonArray &cases)
{
    QTest::addColumn<QJsonObject>("row");
    for (const QJsonValue &value : cases) {
        const QJsonObject row = value.toObject();
        QTest::newRow(qPrintable(row.value(u"name").toString())) << row;
    }
}

void addRows(const QString &file, const QString &table)
{
    addRows(load(file).value(table).toArray());
}

QByteArray bytesOf(const QJsonObject &row)
{
    if (row.contains(u"text"))
        return row.value(u"text").toString().toUtf8();
    if (row.contains(u"hex"))
        return QByteArray::fromHex(row.value(u"hex").toString().toLatin1());
    const QJsonValue document = row.value(u"document");
    return document.isArray() ? QJsonDocument(document.toArray()).toJson(QJsonDocument::Compact)
                              : QJsonDocument(document.toObject()).toJson(QJsonDocument::Compact);
}

} // namespace datacases
