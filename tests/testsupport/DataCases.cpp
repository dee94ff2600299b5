#include "DataCases.h"

#include <QDateTime>
#include <QFile>
#include <QRect>
#include <QJsonDocument>
#include <QTest>
#include <QVariant>

#include <list>

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

namespace {

QVariant valueOf(const QJsonValue &value, QMetaType type)
{
    switch (type.id()) {
    case QMetaType::QString: {
        // An empty string stays distinct from null, which stands for "absent".
        if (!value.isArray())
            return value.isNull() ? QString() : value.toString().isEmpty() ? u""_qs : value.toString();
        // Pieces joined: a string, [string, times], or one UTF-16 unit by number
        // (a lone surrogate, which JSON text cannot carry).
        QString joined;
        for (const QJsonValue &piece : value.toArray())
            joined += piece.isArray() ? piece[0].toString().repeated(piece[1].toInt())
                : piece.isDouble()    ? QString(QChar(char16_t(piece.toInt())))
                                      : piece.toString();
        return joined;
    }
    case QMetaType::QPoint:
        return QPoint(value[0].toInt(), value[1].toInt());
    case QMetaType::QRect: {
        const QJsonArray edges = value.toArray();
        return QRect(edges[0].toInt(), edges[1].toInt(), edges[2].toInt(), edges[3].toInt());
    }
    case QMetaType::QJsonArray:
        return value.toArray();
    case QMetaType::QVariant: {
        // Wrapped: the cell holds a variant, which fromValue() would unwrap.
        const QVariant inner = value.isNull() ? QVariant() : value.toVariant();
        return QVariant(type, &inner);
    }
    case QMetaType::QDateTime:
        return value.isNull() ? QDateTime() : QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
    case QMetaType::QByteArray:
        if (value.isNull())
            return QByteArray();
        if (value.isObject())
            return QByteArray::fromHex(value.toObject().value(u"hex").toString().toLatin1());
        return value.toString().toUtf8();
    case QMetaType::QStringList:
        return value.toVariant().toStringList();
    default: {
        QVariant converted = value.toVariant();
        if (!converted.convert(type))
            qFatal("a case value is not a %s", type.name());
        return converted;
    }
    }
}

} // namespace

void addTable(const QString &file, const QString &table)
{
    const QJsonObject found = load(file).value(table).toObject();
    if (found.isEmpty())
        qFatal("%s has no table %s", qPrintable(file), qPrintable(table));
    // QTest keeps the column names as given, so they must outlive the test.
    static std::list<QByteArray> names;
    QList<QMetaType> types;
    for (const QJsonValue &column : found.value(u"columns").toArray()) {
        const QJsonArray pair = column.toArray();
        const QMetaType type = QMetaType::fromName(pair.at(1).toString().toLatin1());
        if (!type.isValid())
            qFatal("unknown column type %s", qPrintable(pair.at(1).toString()));
        names.push_back(pair.at(0).toString().toUtf8());
        QTest::addColumnInternal(type.id(), names.back().constData());
        types.append(type);
    }
    for (const QJsonValue &entry : found.value(u"rows").toArray()) {
        const QJsonArray row = entry.toArray();
        if (row.size() != types.size() + 1)
            qFatal("%s/%s: row %s has %d values", qPrintable(file), qPrintable(table),
                   qPrintable(row.at(0).toString()), int(row.size()) - 1);
        QTestData &data = QTest::newRow(qPrintable(row.at(0).toString()));
        for (qsizetype i = 0; i < types.size(); ++i) {
            const QVariant value = valueOf(row.at(i + 1), types.at(i));
            data.append(types.at(i).id(), value.constData());
        }
    }
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
