#include "core/CloudError.h"
#include "core/CloudWork.h"
#include "DataCases.h"
#include "core/PendingWork.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

    void pendingLimits_data() { datacases::addTable(u"records.json"_qs, u"pendingLimits"_qs); }

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

        QVERIFY(first.id != second.id);
        QCOMPARE(first.ownerId, u"owner-1"_qs);
        QCOMPARE(first.text, text);
    }

    void pendingDayIsLocal_data() { datacases::addTable(u"records.json"_qs, u"pendingDayIsLocal"_qs); }

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

    void recentOrder_data() { datacases::addTable(u"records.json"_qs, u"recentOrder"_qs); }

    void recentOrder()
    {
        QFETCH(QJsonArray, input);
        QFETCH(QStringList, sources);
        QFETCH(int, limit);
        QFETCH(QStringList, expected);

        QList<CloudWork> records;
        for (const QJsonValue &row : input) {
            const auto optional = [&row](int i) { return row[i].isString() ? std::optional(row[i].toString()) : std::nullopt; };
            records.append(work(row[0].toString(), optional(1), optional(2)));
        }
        const QSet<QString> current(sources.cbegin(), sources.cend());
        QCOMPARE(ids(recentCloudWork(records, current, limit)), expected);
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
