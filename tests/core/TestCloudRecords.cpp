#include "CloudError.h"
#include "CloudSession.h"
#include "CloudWork.h"
#include "DecodingError.h"
#include "PendingWork.h"

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
    void sessionDecoding_data();
    void sessionDecoding();
    void sessionRoundTrip();
    void hostileDocuments_data();
    void hostileDocuments();
    void workDecoding_data();
    void workDecoding();
    void workRoundTripOmitsAbsentMembers();
    void recordURL_data();
    void recordURL();
    void pendingLimits_data();
    void pendingLimits();
    void pendingRecord();
    void pendingDayIsLocal_data();
    void pendingDayIsLocal();
    void pendingBodyAndStoredForm();
    void pendingDecodingRequiresAllFields_data();
    void pendingDecodingRequiresAllFields();
    void recentOrder_data();
    void recentOrder();
    void recentIsStableAndTotal();
};

void TestCloudRecords::sessionDecoding_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("decodes");
    QTest::addColumn<bool>("hasExpiry");
    QTest::addColumn<bool>("hasEmail");

    const QByteArray user = R"("user":{"id":"u1","email":"a@b.c"})";
    QTest::newRow("complete")         << QByteArray(R"({"access_token":"a","refresh_token":"r","expires_at":1.5,)" + user + "}") << true << true << true;
    QTest::newRow("integer expiry")   << QByteArray(R"({"access_token":"a","refresh_token":"r","expires_at":1700000000,)" + user + "}") << true << true << true;
    QTest::newRow("no expiry")        << QByteArray(R"({"access_token":"a","refresh_token":"r",)" + user + "}") << true << false << true;
    QTest::newRow("null expiry")      << QByteArray(R"({"access_token":"a","refresh_token":"r","expires_at":null,)" + user + "}") << true << false << true;
    QTest::newRow("user sans email")  << QByteArray(R"({"access_token":"a","refresh_token":"r","user":{"id":"u1"}})") << true << false << false;
    QTest::newRow("null email")       << QByteArray(R"({"access_token":"a","refresh_token":"r","user":{"id":"u1","email":null}})") << true << false << false;
    QTest::newRow("unknown members")  << QByteArray(R"({"access_token":"a","refresh_token":"r","x":[1,{}],"user":{"id":"u1","y":2}})") << true << false << false;
    QTest::newRow("user sans id")     << QByteArray(R"({"access_token":"a","refresh_token":"r","user":{"email":"a@b.c"}})") << false << false << false;
    QTest::newRow("no user")          << QByteArray(R"({"access_token":"a","refresh_token":"r"})") << false << false << false;
    QTest::newRow("null token")       << QByteArray(R"({"access_token":null,"refresh_token":"r",)" + user + "}") << false << false << false;
    QTest::newRow("numeric token")    << QByteArray(R"({"access_token":7,"refresh_token":"r",)" + user + "}") << false << false << false;
    QTest::newRow("string expiry")    << QByteArray(R"({"access_token":"a","refresh_token":"r","expires_at":"1",)" + user + "}") << false << false << false;
    QTest::newRow("email a number")   << QByteArray(R"({"access_token":"a","refresh_token":"r","user":{"id":"u1","email":1}})") << false << false << false;
    QTest::newRow("array")            << QByteArray(R"([{"access_token":"a"}])") << false << false << false;
    QTest::newRow("line in a token")  << QByteArray(R"({"access_token":"a\r\nX-Injected: yes","refresh_token":"r",)" + user + "}") << false << false << false;
    QTest::newRow("NUL in a user id") << QByteArray(R"({"access_token":"a","refresh_token":"r","user":{"id":"u\u00001"}})") << false << false << false;
}

void TestCloudRecords::sessionDecoding()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, decodes);
    QFETCH(bool, hasExpiry);
    QFETCH(bool, hasEmail);

    try {
        const CloudSession session = CloudSession::fromJson(json);
        QVERIFY2(decodes, "decoded a session that should have been refused");
        QCOMPARE(session.user.id, QStringLiteral("u1"));
        QCOMPARE(session.expires_at.has_value(), hasExpiry);
        QCOMPARE(session.user.email.has_value(), hasEmail);
    } catch (const DecodingError &) {
        QVERIFY2(!decodes, "refused a valid session");
    }
}

void TestCloudRecords::sessionRoundTrip()
{
    const CloudSession withExpiry {QStringLiteral("a"), QStringLiteral("r"), 1712345678.25,
                                   {QStringLiteral("u1"), QStringLiteral("é@example.org")}};
    QCOMPARE(CloudSession::fromJson(withExpiry.toJson()), withExpiry);

    CloudSession withoutExpiry = withExpiry;
    withoutExpiry.expires_at.reset();
    withoutExpiry.user.email.reset();
    const QByteArray json = withoutExpiry.toJson();
    QVERIFY(!object(json).contains(u"expires_at"));
    QVERIFY(!object(json).value(u"user").toObject().contains(u"email"));
    QVERIFY(!json.contains("null"));
    QCOMPARE(CloudSession::fromJson(json), withoutExpiry);
    QVERIFY(CloudSession::fromJson(json) != withExpiry);
}

void TestCloudRecords::hostileDocuments_data()
{
    QTest::addColumn<QByteArray>("json");

    const QByteArray valid = R"({"access_token":"a","refresh_token":"r","user":{"id":"u1"}})";
    QTest::newRow("empty")             << QByteArray();
    QTest::newRow("truncated")         << valid.left(valid.size() - 1);
    QTest::newRow("truncated string")  << valid.left(20);
    QTest::newRow("trailing junk")     << valid + "x";
    QTest::newRow("two documents")     << valid + valid;
    QTest::newRow("deep nesting")      << QByteArray(R"({"access_token":"a","refresh_token":"r","user":{"id":"u1"},"x":)") + QByteArray(100000, '[') + QByteArray(100000, ']') + "}";
    QTest::newRow("huge number")       << QByteArray(R"({"access_token":"a","refresh_token":"r","expires_at":1e999,"user":{"id":"u1"}})");
    QTest::newRow("invalid UTF-8")     << QByteArray("{\"access_token\":\"a\xff\",\"refresh_token\":\"r\",\"user\":{\"id\":\"u1\"}}");
    QTest::newRow("overlong UTF-8")    << QByteArray("{\"access_token\":\"\xc0\xaf\",\"refresh_token\":\"r\",\"user\":{\"id\":\"u1\"}}");
    QTest::newRow("lone surrogate")    << QByteArray(R"({"access_token":"\ud800","refresh_token":"r","user":{"id":"u1"}})");
    QTest::newRow("bad escape")        << QByteArray(R"({"access_token":"\q","refresh_token":"r","user":{"id":"u1"}})");
    QTest::newRow("control character") << QByteArray("{\"access_token\":\"a\x01\",\"refresh_token\":\"r\",\"user\":{\"id\":\"u1\"}}");
    QTest::newRow("NUL inside")        << QByteArray("{\"access_token\":\"a\",\0\"refresh_token\":\"r\"}", 38);
    QTest::newRow("single quotes")     << QByteArray(R"({'access_token':'a'})");
    QTest::newRow("comment")           << QByteArray(R"({"access_token":"a",/*x*/"refresh_token":"r","user":{"id":"u1"}})");
}

void TestCloudRecords::hostileDocuments()
{
    QFETCH(QByteArray, json);
    QVERIFY_THROWS_EXCEPTION(DecodingError, (void)CloudSession::fromJson(json));
}

void TestCloudRecords::workDecoding_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("decodes");

    QTest::newRow("minimal")            << QByteArray(R"({"id":"1","text":"t","occurredOn":"2026-01-01"})") << true;
    QTest::newRow("full")               << QByteArray(R"({"id":"1","text":"t","occurredOn":"d","origin":"o","dateBasis":"b","createdAt":"c","projectSlug":"p","sourceId":"s","work":{"projectName":"n","period":{"start":"a","end":"b"}}})") << true;
    QTest::newRow("empty work context") << QByteArray(R"({"id":"1","text":"t","occurredOn":"d","work":{}})") << true;
    QTest::newRow("no occurredOn")      << QByteArray(R"({"id":"1","text":"t"})") << false;
    QTest::newRow("period sans end")    << QByteArray(R"({"id":"1","text":"t","occurredOn":"d","work":{"period":{"start":"a"}}})") << false;
    QTest::newRow("work a string")      << QByteArray(R"({"id":"1","text":"t","occurredOn":"d","work":"x"})") << false;
    QTest::newRow("id a number")        << QByteArray(R"({"id":1,"text":"t","occurredOn":"d"})") << false;
    QTest::newRow("createdAt a bool")   << QByteArray(R"({"id":"1","text":"t","occurredOn":"d","createdAt":true})") << false;
}

void TestCloudRecords::workDecoding()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, decodes);

    bool decoded = false;
    try {
        const CloudWork record = CloudWork::fromJson(json);
        decoded = true;
        QCOMPARE(record.id, QStringLiteral("1"));
    } catch (const DecodingError &) {
    }
    QCOMPARE(decoded, decodes);
}

void TestCloudRecords::workRoundTripOmitsAbsentMembers()
{
    CloudWork record = work(QStringLiteral("1"), std::nullopt);
    QCOMPARE(object(record.toJson()).keys(), (QStringList {u"id"_qs, u"occurredOn"_qs, u"text"_qs}));
    QCOMPARE(CloudWork::fromJson(record.toJson()), record);

    record.work = CloudWorkContext {QStringLiteral("Project"), CloudWorkPeriod {QStringLiteral("a"), QStringLiteral("b")}};
    record.origin = QStringLiteral("web");
    QCOMPARE(CloudWork::fromJson(record.toJson()), record);
}

void TestCloudRecords::recordURL_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain")      << u"abc"_qs          << u"https://vorno.example/worklog?record=abc"_qs;
    QTest::newRow("space")      << u"x y"_qs          << u"https://vorno.example/worklog?record=x%20y"_qs;
    QTest::newRow("separators") << u"a&b=c+d#e?f"_qs  << u"https://vorno.example/worklog?record=a%26b%3Dc%2Bd%23e%3Ff"_qs;
    QTest::newRow("non-ASCII")  << u"é"_qs            << u"https://vorno.example/worklog?record=%C3%A9"_qs;
    QTest::newRow("empty")      << QString()          << u"https://vorno.example/worklog?record="_qs;
}

void TestCloudRecords::recordURL()
{
    QFETCH(QString, id);
    QFETCH(QString, expected);

    const std::optional<QUrl> url = work(id, std::nullopt).recordURL(QUrl(u"https://vorno.example"_qs));
    QVERIFY(url);
    QCOMPARE(url->toString(QUrl::FullyEncoded), expected);
    QCOMPARE(url->path(), u"/worklog"_qs);
}

void TestCloudRecords::pendingLimits_data()
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

void TestCloudRecords::pendingLimits()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);

    const std::optional<CloudFailure> failure = failureOfMake(text);
    if (accepted)
        QCOMPARE(failure, std::nullopt);
    else
        QCOMPARE(failure, std::optional(CloudFailure::invalid));
}

void TestCloudRecords::pendingRecord()
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

void TestCloudRecords::pendingDayIsLocal_data()
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

void TestCloudRecords::pendingDayIsLocal()
{
    QFETCH(QDateTime, now);
    QFETCH(QByteArray, zone);
    QFETCH(QString, day);

    QCOMPARE(PendingWork::make(u"o"_qs, u"note"_qs, now, QTimeZone(zone)).occurredOn, day);
}

void TestCloudRecords::pendingBodyAndStoredForm()
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

void TestCloudRecords::pendingDecodingRequiresAllFields_data()
{
    QTest::addColumn<QString>("missing");
    for (const char *key : {"id", "ownerId", "text", "occurredOn"})
        QTest::newRow(key) << QString::fromLatin1(key);
}

void TestCloudRecords::pendingDecodingRequiresAllFields()
{
    QFETCH(QString, missing);
    QJsonObject stored = object(PendingWork {u"i"_qs, u"o"_qs, u"t"_qs, u"d"_qs}.toJson());
    stored.remove(missing);
    QVERIFY_THROWS_EXCEPTION(DecodingError, (void)PendingWork::fromJson(QJsonDocument(stored).toJson()));
}

void TestCloudRecords::recentOrder_data()
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

void TestCloudRecords::recentOrder()
{
    QFETCH(QList<CloudWork>, input);
    QFETCH(QStringList, sources);
    QFETCH(int, limit);
    QFETCH(QStringList, expected);

    const QSet<QString> current(sources.cbegin(), sources.cend());
    QCOMPARE(ids(recentCloudWork(input, current, limit)), expected);
}

void TestCloudRecords::recentIsStableAndTotal()
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

QTEST_GUILESS_MAIN(TestCloudRecords)
#include "TestCloudRecords.moc"
