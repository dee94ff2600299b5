#include "DataCases.h"
#include "EncouragementNote.h"
#include "EncouragementState.h"
#include "InternetDateTime.h"

#include <QTest>
#include <QTimeZone>

using namespace vorno;

namespace {

const QDateTime now(QDate(2026, 1, 15), QTime(12, 0), QTimeZone::utc());

QDateTime utc(int year, int month, int day, int hour, int minute, int second = 0, int ms = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, ms), QTimeZone::utc());
}

} // namespace

class TestEncouragement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dateTimes_data();
    void dateTimes();
    void valid_data();
    void valid();
    void paused_data();
    void paused();
    void quiet_data();
    void quiet();
};

void TestEncouragement::dateTimes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("instant"); // invalid: refused

    QTest::newRow("Z")                 << u"2026-01-15T12:00:00Z"_qs            << utc(2026, 1, 15, 12, 0);
    QTest::newRow("milliseconds")      << u"2026-01-15T12:00:00.250Z"_qs        << utc(2026, 1, 15, 12, 0, 0, 250);
    QTest::newRow("one digit")         << u"2026-01-15T12:00:00.5Z"_qs          << utc(2026, 1, 15, 12, 0, 0, 500);
    QTest::newRow("microseconds")      << u"2026-01-15T12:00:00.123456Z"_qs     << utc(2026, 1, 15, 12, 0, 0, 123);
    QTest::newRow("positive offset")   << u"2026-01-15T13:30:00+01:30"_qs       << utc(2026, 1, 15, 12, 0);
    QTest::newRow("negative offset")   << u"2026-01-15T07:00:00-05:00"_qs       << utc(2026, 1, 15, 12, 0);
    QTest::newRow("leap day")          << u"2024-02-29T00:00:00Z"_qs            << utc(2024, 2, 29, 0, 0);
    QTest::newRow("no zone")           << u"2026-01-15T12:00:00"_qs             << QDateTime();
    QTest::newRow("no seconds")        << u"2026-01-15T12:00Z"_qs               << QDateTime();
    QTest::newRow("space separator")   << u"2026-01-15 12:00:00Z"_qs            << QDateTime();
    QTest::newRow("date only")         << u"2026-01-15"_qs                      << QDateTime();
    QTest::newRow("empty fraction")    << u"2026-01-15T12:00:00.Z"_qs           << QDateTime();
    QTest::newRow("month 13")          << u"2026-13-15T12:00:00Z"_qs            << QDateTime();
    QTest::newRow("February 30")       << u"2026-02-30T12:00:00Z"_qs            << QDateTime();
    QTest::newRow("hour 24")           << u"2026-01-15T24:00:00Z"_qs            << QDateTime();
    QTest::newRow("offset 24 hours")   << u"2026-01-15T12:00:00+24:00"_qs       << QDateTime();
    QTest::newRow("offset sans colon") << u"2026-01-15T12:00:00+0100"_qs        << QDateTime();
    QTest::newRow("trailing junk")     << u"2026-01-15T12:00:00Zx"_qs           << QDateTime();
    QTest::newRow("Arabic digits")     << u"٢٠٢٦-01-15T12:00:00Z"_qs            << QDateTime();
    QTest::newRow("empty")             << QString()                             << QDateTime();
}

void TestEncouragement::dateTimes()
{
    QFETCH(QString, text);
    QFETCH(QDateTime, instant);

    const std::optional<QDateTime> parsed = InternetDateTime::parse(text);
    QCOMPARE(parsed.has_value(), instant.isValid());
    if (parsed)
        QCOMPARE(*parsed, instant);
    else
        QVERIFY(InternetDateTime::parseOrDistantPast(text) < utc(1970, 1, 1, 0, 0));
}

void TestEncouragement::valid_data()
{
    datacases::addTable(u"encouragement.json"_qs, u"valid"_qs);
}

void TestEncouragement::valid()
{
    QFETCH(QString, message);
    QFETCH(QString, expiresAt);
    QFETCH(bool, valid);

    QCOMPARE((EncouragementNote {u"id"_qs, message, expiresAt}.valid(now)), valid);
}

void TestEncouragement::paused_data()
{
    datacases::addTable(u"encouragement.json"_qs, u"paused"_qs);
}

void TestEncouragement::paused()
{
    QFETCH(QString, snoozedUntil);
    QFETCH(bool, paused);

    EncouragementState::Preferences preferences;
    if (!snoozedUntil.isNull())
        preferences.snoozed_until = snoozedUntil;
    QCOMPARE(preferences.paused(now), paused);
}

void TestEncouragement::quiet_data()
{
    QTest::addColumn<QString>("zone"); // null: absent
    QTest::addColumn<QDateTime>("at");
    QTest::addColumn<bool>("quiet");

    QTest::newRow("Berlin 22:59 in winter") << u"Europe/Berlin"_qs << utc(2026, 1, 15, 21, 59) << true;
    QTest::newRow("Berlin 21:59 in winter") << u"Europe/Berlin"_qs << utc(2026, 1, 15, 20, 59) << false;
    QTest::newRow("Berlin 09:00")           << u"Europe/Berlin"_qs << utc(2026, 1, 15, 8, 0)   << false;
    QTest::newRow("Berlin 08:59")           << u"Europe/Berlin"_qs << utc(2026, 1, 15, 7, 59)  << true;
    QTest::newRow("Berlin 22:00 in summer") << u"Europe/Berlin"_qs << utc(2026, 7, 15, 20, 0)  << true;
    QTest::newRow("Tokyo 03:00")            << u"Asia/Tokyo"_qs    << utc(2026, 1, 15, 18, 0)  << true;
    QTest::newRow("absent")                 << QString()           << utc(2026, 1, 15, 23, 0)  << false;
    QTest::newRow("unknown zone")           << u"Mars/Olympus"_qs  << utc(2026, 1, 15, 23, 0)  << false;
    QTest::newRow("empty zone")             << QString(u""_qs)     << utc(2026, 1, 15, 23, 0)  << false;
}

void TestEncouragement::quiet()
{
    QFETCH(QString, zone);
    QFETCH(QDateTime, at);
    QFETCH(bool, quiet);

    EncouragementState::Preferences preferences;
    if (!zone.isNull())
        preferences.timezone = zone;
    QCOMPARE(preferences.quiet(at), quiet);
}

QTEST_GUILESS_MAIN(TestEncouragement)
#include "TestEncouragement.moc"
