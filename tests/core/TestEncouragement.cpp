#include "DataCases.h"
#include "core/EncouragementNote.h"
#include "core/EncouragementState.h"
#include "core/InternetDateTime.h"

#include <QTest>
#include <QTimeZone>

using namespace vorno;

namespace {

const QDateTime now(QDate(2026, 1, 15), QTime(12, 0), QTimeZone::utc());

} // namespace

class TestEncouragement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dateTimes_data() { datacases::addTable(u"encouragement.json"_qs, u"dateTimes"_qs); }

    void dateTimes()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, instant);

        const std::optional<QDateTime> parsed = InternetDateTime::parse(text);
        QCOMPARE(parsed.has_value(), instant.isValid());
        if (parsed)
            QCOMPARE(*parsed, instant);
        else
            QVERIFY(InternetDateTime::parseOrDistantPast(text) < QDateTime(QDate(1970, 1, 1), QTime(0, 0), QTimeZone::utc()));
    }

    void valid_data() { datacases::addTable(u"encouragement.json"_qs, u"valid"_qs); }

    void valid()
    {
        QFETCH(QString, message);
        QFETCH(QString, expiresAt);
        QFETCH(bool, valid);

        QCOMPARE((EncouragementNote {u"id"_qs, message, expiresAt}.valid(now)), valid);
    }

    void paused_data() { datacases::addTable(u"encouragement.json"_qs, u"paused"_qs); }

    void paused()
    {
        QFETCH(QString, snoozedUntil);
        QFETCH(bool, paused);

        EncouragementState::Preferences preferences;
        if (!snoozedUntil.isNull())
            preferences.snoozed_until = snoozedUntil;
        QCOMPARE(preferences.paused(now), paused);
    }

    void quiet_data() { datacases::addTable(u"encouragement.json"_qs, u"quiet"_qs); }

    void quiet()
    {
        QFETCH(QString, zone);
        QFETCH(QDateTime, at);
        QFETCH(bool, quiet);

        EncouragementState::Preferences preferences;
        if (!zone.isNull())
            preferences.timezone = zone;
        QCOMPARE(preferences.quiet(at), quiet);
    }
};

QTEST_GUILESS_MAIN(TestEncouragement)
#include "TestEncouragement.moc"
