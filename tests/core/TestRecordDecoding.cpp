#include "core/CloudSession.h"
#include "core/CloudWork.h"
#include "core/CollectedFile.h"
#include "DataCases.h"
#include "core/DecodingError.h"
#include "core/EncouragementClaim.h"
#include "core/EncouragementState.h"
#include "core/FileCollectionBatch.h"
#include "core/FileCollectionPolicy.h"
#include "core/LocalDraft.h"
#include "core/PendingWork.h"

#include <QJsonDocument>
#include <QTest>

#include <functional>

using namespace vorno;

// Every stored record and service answer read through the one strict JSON
// reader: which documents decode, what they decode to (in the record's own
// stored form) and that what is stored reads back the same.
namespace {

QJsonObject objectOf(const QByteArray &json)
{
    return QJsonDocument::fromJson(json).object();
}

// Decodes `bytes` as `record`; the stored form, or an empty object for a
// record that is only ever read. Throws DecodingError as the record does.
template <typename Record>
QJsonObject storedForm(const QByteArray &bytes)
{
    const Record decoded = Record::fromJson(bytes);
    if constexpr (requires { decoded.toJson(); }) {
        if (!(Record::fromJson(decoded.toJson()) == decoded))
            throw std::logic_error("the stored form reads back differently");
        return objectOf(decoded.toJson());
    } else {
        return {};
    }
}

using Decoder = std::function<QJsonObject(const QByteArray &)>;

const QHash<QString, Decoder> &decoders()
{
    static const QHash<QString, Decoder> all {
        {u"session"_qs, storedForm<CloudSession>},
        {u"work"_qs, storedForm<CloudWork>},
        {u"pending"_qs, storedForm<PendingWork>},
        {u"draft"_qs, storedForm<LocalDraft>},
        {u"policy"_qs, storedForm<FileCollectionPolicy>},
        {u"file"_qs, storedForm<CollectedFile>},
        {u"batch"_qs, storedForm<FileCollectionBatch>},
        {u"state"_qs, storedForm<EncouragementState>},
        {u"claim"_qs, storedForm<EncouragementClaim>},
    };
    return all;
}

// `object` at a dotted `path`; undefined when a step is absent.
QJsonValue valueAt(const QJsonObject &object, const QString &path)
{
    QJsonValue value = object;
    for (const QString &step : path.split(u'.'))
        value = value.toObject().value(step);
    return value;
}

QJsonObject removing(QJsonObject object, const QString &path)
{
    const qsizetype dot = path.indexOf(u'.');
    if (dot < 0) {
        object.remove(path);
        return object;
    }
    const QString head = path.left(dot);
    object[head] = removing(object.value(head).toObject(), path.mid(dot + 1));
    return object;
}

// Each member of "expect" equals the stored form's; null means absent.
bool matches(const QJsonObject &stored, const QJsonObject &expect)
{
    for (auto it = expect.begin(); it != expect.end(); ++it) {
        const QJsonValue actual = valueAt(stored, it.key());
        const bool same = it.value().isNull() ? actual.isUndefined() : actual == it.value();
        if (!same) {
            qWarning("%s: %s", qPrintable(it.key()), QJsonDocument(stored).toJson(QJsonDocument::Compact).constData());
            return false;
        }
    }
    return true;
}

} // namespace

class TestRecordDecoding : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_cases = datacases::load(u"records.json"_qs); }

    void documents_data()
    {
        datacases::addRows(m_cases.value(u"documents").toArray());
        // Too large to write out: a reader without a depth limit overflows its stack.
        const QByteArray deep = QByteArray(100000, '[') + QByteArray(100000, ']');
        QTest::newRow("deep nesting") << QJsonObject {
            {u"record"_qs, u"session"_qs}, {u"decodes"_qs, false},
            {u"text"_qs, QString::fromLatin1(R"({"access_token":"a","refresh_token":"r","user":{"id":"u1"},"x":)" + deep + "}")}};
    }

    void documents()
    {
        QFETCH(QJsonObject, row);
        const QString record = row.value(u"record").toString();
        QVERIFY2(decoders().contains(record), qPrintable(record));
        try {
            const QJsonObject stored = decoders().value(record)(datacases::bytesOf(row));
            QVERIFY2(row.value(u"decodes").toBool(), "decoded a document that should have been refused");
            QVERIFY(matches(stored, row.value(u"expect").toObject()));
        } catch (const DecodingError &error) {
            QVERIFY2(!row.value(u"decodes").toBool(), error.what());
        }
    }

    void requiredMembers_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QJsonObject>("document");
        QTest::addColumn<bool>("decodes");
        for (const QJsonValue &value : m_cases.value(u"required").toArray()) {
            const QString record = value[u"record"].toString();
            const QJsonObject complete = value[u"complete"].toObject();
            QTest::addRow("%s complete", qPrintable(record)) << record << complete << true;
            for (const QJsonValue &member : value[u"members"].toArray())
                QTest::addRow("%s without %s", qPrintable(record), qPrintable(member.toString()))
                    << record << removing(complete, member.toString()) << false;
        }
    }

    void requiredMembers()
    {
        QFETCH(QString, record);
        QFETCH(QJsonObject, document);
        QFETCH(bool, decodes);

        bool decoded = false;
        try {
            (void)decoders().value(record)(QJsonDocument(document).toJson());
            decoded = true;
        } catch (const DecodingError &) {
        }
        QCOMPARE(decoded, decodes);
    }

    void processingAnswers_data() { datacases::addRows(m_cases.value(u"processing").toArray()); }

    void processingAnswers()
    {
        QFETCH(QJsonObject, row);
        CollectedFile file = CollectedFile::fromJson(QJsonDocument(m_cases.value(u"processedFile").toObject()).toJson());
        file.apply(FileProgress::fromAnswer(row.value(u"answer").toObject()));
        QVERIFY(matches(objectOf(file.toJson()), row.value(u"expect").toObject()));
    }

private:
    QJsonObject m_cases;
};

QTEST_GUILESS_MAIN(TestRecordDecoding)
#include "TestRecordDecoding.moc"
