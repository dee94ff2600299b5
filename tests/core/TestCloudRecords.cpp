#include "core/CloudError.h"
#include "core/CloudWork.h"
#include "DataCases.h"
#include "core/PendingWork.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

using namespace vorno;

namespace {

QJsonObject object(const QByteArray &json)
{
    return QJsonDocument::fromJson(json).object();
}

CloudWork work(QString id, std::optional<QString> createdAt, std::optional<QString> sourceId = std::nullopt)
{
    CloudWork record;
    record.id = std::move(id);
    record.text = QStringLiteral("text");
    record.occurredOn = QStringLiteral("2026-01-01");
    record.createdAt = std::move(createdAt);
    record.sourceId = std::move(sourceId);
    return record;
}

QStringList ids(const QList<CloudWork> &records)
{
    QStringList result;
    for (const CloudWork &record : records)
        result.append(record.id);
    return result;
}

std::optional<CloudFailure> failureOfMake(const QString &text)
{
    try {
        (void)PendingWork::make(QStringLiteral("owner"), text, QDateTime::currentDateTimeUtc());
        return std::nullopt;
    } catch (const CloudError &error) {
        return error.failure();
    }
}

} // namespace

class TestCloudRecords : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recordURL_data() { datacases::addTable(u"records.json"_qs, u"recordURL"_qs); }

    void recordURL()
    {
        QFETCH(QString, id);
        QFETCH(QString, expected);

        const std::optional<QUrl> url = work(id, std::nullopt).recordURL(QUrl(u"https://vorno.example"_qs));
        QVERIFY(url);
        QCOMPARE(url->toString(QUrl::FullyEncoded), expected);
        QCOMPARE(url->path(), u"/worklog"_qs);
    }

    void pendingLimits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");

        const QString emoji = QStringLiteral("\U0001F600");
        QTest::newRow("empty")              << QString()                            << false;
        QTest::newRow("blanks and a break") << u"   \n"_qs                          << false;
        QTest::newRow("unicode blanks")     << u"\u00a0\u2003\u2028\t\r"_qs         << false;
        QTest::newRow("one character")      << u"x"_qs                              << true;
        QTest::newRow("4000 ASCII")         << QString(4000, u'a')                  << true;
        QTest::newRow("4001 ASCII")         << QString(4001, u'a')                  << false;
        QTest::newRow("2000 emoji")         << emoji.repeated(2000)                 << true;
        QTest::newRow("2001 emoji")         << emoji.repeated(2001)                 << false;
        QTest::newRow("3999 blanks + x")    << QString(3999, u' ') + u'x'           << true;
        QTest::newRow("4000 blanks + x")    << QString(4000, u' ') + u'x'           << false;
        QTest::newRow("lone surrogate")     << u"a"_qs + QChar(0xD800) + u"b"_qs     << false;
    }

    void pendingLimits()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);

        const std::optional<CloudFailure> failure = failureOfMake(text);
        if (accepted)
            QCOMPARE(failure, std::nullopt);
        else
            QCOMPARE(failure, std::optional(CloudFailure::invalid));
    }

    void pendingRecord()
    {
        const QString text = u"  keep my blanks \n"_qs;
        const PendingWork first = PendingWork::make(u"owner-1"_qs, text, QDateTime::currentDateTimeUtc());
        const PendingWork second = PendingWork::make(u"owner-1"_qs, text, QDateTime::currentDateTimeUtc());

        static const QRegularExpression upperUuid(u"^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"_qs);
        QVERIFY2(upperUuid.match(first.id).hasMatch(), qPrintable(first.id));
        QVERIFY(first.id != second.id);
        QCOMPARE(first.ownerId, u"owner-1"_qs);
        QCOMPARE(first.text, text);
    }

    void pendingDayIsLocal_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QString>("day");

        const QTimeZone utc = QTimeZone::utc();
        QTest::newRow("23:30 in New York, next day in UTC") << QDateTime(QDate(2026, 3, 5), QTime(4, 30), utc)  << QByteArray("America/New_York") << u"2026-03-04"_qs;
        QTest::newRow("00:30 in Tokyo, day before in UTC")  << QDateTime(QDate(2026, 3, 4), QTime(15, 30), utc) << QByteArray("Asia/Tokyo")       << u"2026-03-05"_qs;
        QTest::newRow("UTC itself")                         << QDateTime(QDate(2026, 12, 31), QTime(23, 59), utc) << QByteArray("UTC")            << u"2026-12-31"_qs;
        QTest::newRow("early year is zero-padded")          << QDateTime(QDate(987, 1, 2), QTime(12, 0), utc)   << QByteArray("UTC")              << u"0987-01-02"_qs;
    }

    void pendingDayIsLocal()
    {
        QFETCH(QDateTime, now);
        QFETCH(QByteArray, zone);
        QFETCH(QString, day);

        QCOMPARE(PendingWork::make(u"o"_qs, u"note"_qs, now, QTimeZone(zone)).occurredOn, day);
    }

    void pendingBodyAndStoredForm()
    {
        const PendingWork pending {u"ID"_qs, u"owner"_qs, u" \"quoted\" é \n"_qs, u"2026-01-02"_qs};

        const QByteArray body = pending.body();
        QCOMPARE(body.left(6), QByteArray(R"({"id":)"));
        QVERIFY2(!body.contains('\n') && !body.contains(": "), body.constData());
        const QJsonObject sent = object(body);
        QCOMPARE(sent.keys().size(), 6);
        QCOMPARE(sent.value(u"category").toString(), u"note"_qs);
        QVERIFY(sent.contains(u"projectSlug") && sent.value(u"projectSlug").isNull());
        QCOMPARE(sent.value(u"text").toString(), pending.text);
        // Member order is part of the request as the service receives it.
        QVERIFY(body.indexOf("\"id\"") < body.indexOf("\"ownerId\""));
        QVERIFY(body.indexOf("\"text\"") < body.indexOf("\"category\""));
        QVERIFY(body.indexOf("\"occurredOn\"") < body.indexOf("\"projectSlug\""));

        const QJsonObject stored = object(pending.toJson());
        QCOMPARE(stored.keys(), (QStringList {u"id"_qs, u"occurredOn"_qs, u"ownerId"_qs, u"text"_qs}));
        QCOMPARE(PendingWork::fromJson(pending.toJson()), pending);
    }

    void recentOrder_data()
    {
        QTest::addColumn<QList<CloudWork>>("input");
        QTest::addColumn<QStringList>("sources");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QStringList>("expected");

        const auto none = std::nullopt;
        const QList<CloudWork> mixed {work(u"b"_qs, u"2026-01-01"_qs), work(u"a"_qs, u"2026-01-01"_qs),
                                      work(u"c"_qs, none), work(u"d"_qs, u"2026-02-01"_qs)};
        QTest::newRow("limit 0")                   << mixed << QStringList() << 0  << QStringList();
        QTest::newRow("limit -1")                  << mixed << QStringList() << -1 << QStringList();
        QTest::newRow("limit above size")          << mixed << QStringList() << 10 << QStringList {u"d"_qs, u"a"_qs, u"b"_qs, u"c"_qs};
        QTest::newRow("trimmed")                   << mixed << QStringList() << 2  << QStringList {u"d"_qs, u"a"_qs};
        QTest::newRow("equal dates by id")         << QList {work(u"b"_qs, u"x"_qs), work(u"a"_qs, u"x"_qs)} << QStringList() << 5 << QStringList {u"a"_qs, u"b"_qs};
        QTest::newRow("both absent by id")         << QList {work(u"b"_qs, none), work(u"a"_qs, none)} << QStringList() << 5 << QStringList {u"a"_qs, u"b"_qs};
        QTest::newRow("absent after present")      << QList {work(u"a"_qs, none), work(u"b"_qs, u"2020"_qs)} << QStringList() << 5 << QStringList {u"b"_qs, u"a"_qs};
        QTest::newRow("current source first")      << QList {work(u"a"_qs, u"2026"_qs), work(u"b"_qs, none, u"s1"_qs)} << QStringList {u"s1"_qs} << 5 << QStringList {u"b"_qs, u"a"_qs};
        QTest::newRow("other source not current")  << QList {work(u"a"_qs, u"2026"_qs), work(u"b"_qs, none, u"s2"_qs)} << QStringList {u"s1"_qs} << 5 << QStringList {u"a"_qs, u"b"_qs};
        QTest::newRow("absent and empty keep order") << QList {work(u"b"_qs, none), work(u"a"_qs, u""_qs)} << QStringList() << 5 << QStringList {u"b"_qs, u"a"_qs};
        QTest::newRow("NFC-equal dates tie by id") << QList {work(u"b"_qs, u"e\u0301"_qs), work(u"a"_qs, u"\u00e9"_qs)} << QStringList() << 5 << QStringList {u"a"_qs, u"b"_qs};
        // U+FF61 is above U+1F600's lead surrogate in UTF-16 but below it as a scalar.
        QTest::newRow("scalar order, not UTF-16")  << QList {work(u"x"_qs, u"\uff61"_qs), work(u"y"_qs, u"\U0001F600"_qs)} << QStringList() << 5 << QStringList {u"y"_qs, u"x"_qs};
    }

    void recentOrder()
    {
        QFETCH(QList<CloudWork>, input);
        QFETCH(QStringList, sources);
        QFETCH(int, limit);
        QFETCH(QStringList, expected);

        const QSet<QString> current(sources.cbegin(), sources.cend());
        QCOMPARE(ids(recentCloudWork(input, current, limit)), expected);
    }

    void recentIsStableAndTotal()
    {
        // Records that tie completely (same id, same date) must keep their input
        // order; every record must come out exactly once, whatever the mix.
        QList<CloudWork> input;
        const QStringList dates {u"2026-01-03"_qs, u"2026-01-01"_qs, QString(), u"2026-01-02"_qs};
        for (int i = 0; i < 200; ++i) {
            CloudWork record = work(QString::number(i % 7), dates[i % 4].isNull() ? std::nullopt : std::optional(dates[i % 4]),
                                    i % 5 == 0 ? std::optional(u"s"_qs) : std::nullopt);
            record.text = QString::number(i);
            input.append(record);
        }
        const QList<CloudWork> sorted = recentCloudWork(input, {u"s"_qs}, 1000);
        QCOMPARE(sorted.size(), input.size());
        for (qsizetype i = 1; i < sorted.size(); ++i) {
            const CloudWork &a = sorted[i - 1];
            const CloudWork &b = sorted[i];
            const bool aCurrent = a.sourceId.has_value();
            const bool bCurrent = b.sourceId.has_value();
            QVERIFY(aCurrent || !bCurrent);
            if (aCurrent == bCurrent && a.createdAt == b.createdAt) {
                QVERIFY(a.id <= b.id);
                if (a.id == b.id)
                    QVERIFY2(a.text.toInt() < b.text.toInt(), "equal records changed order");
            }
        }
        QCOMPARE(recentCloudWork(input, {u"s"_qs}, 1000), sorted);
    }
};

QTEST_GUILESS_MAIN(TestCloudRecords)
#include "TestCloudRecords.moc"
