#include "Words.h"

#include <QCoreApplication>
#include <QSet>
#include <QTest>
#include <QTranslator>

using namespace vorno;

class TestWords : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rawValueLookup_data();
    void rawValueLookup();
    void everyTextIsDistinctAndRoundTrips();
    void translationTable();
};

void TestWords::rawValueLookup_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // -1: none

    QTest::newRow("Sign in")          << u"Sign in"_qs                        << int(Words::cloudLogin);
    QTest::newRow("lower case")       << u"sign in"_qs                        << -1;
    QTest::newRow("empty")            << QString()                            << -1;
    QTest::newRow("trailing space")   << u"Sign in "_qs                       << -1;
    QTest::newRow("prefix")           << u"Sign"_qs                           << -1;
    QTest::newRow("embedded NUL")     << QString(u"Sign in\0"_qs)             << -1;
    QTest::newRow("ellipsis")         << u"Checking encouragement preferences…"_qs << int(Words::aiLoading);
    QTest::newRow("three dots")       << u"Checking encouragement preferences..."_qs << -1;
    QTest::newRow("middle dot")       << u"AI encouragement preferences · Pro"_qs << int(Words::aiSettings);
    QTest::newRow("last")             << u"Notifications"_qs                  << int(Words::notifications);
}

void TestWords::rawValueLookup()
{
    QFETCH(QString, text);
    QFETCH(int, expected);

    const std::optional<Words> words = Words::fromRawValue(text);
    QCOMPARE(words ? int(words->value()) : -1, expected);
}

void TestWords::everyTextIsDistinctAndRoundTrips()
{
    QSet<QString> seen;
    for (const Words words : Words::allCases()) {
        const QString text = words.rawValue();
        QVERIFY(!text.isEmpty());
        QVERIFY2(!seen.contains(text), qPrintable(text));
        seen.insert(text);
        QCOMPARE(Words::fromRawValue(text), std::optional(words));
    }
    QCOMPARE(qsizetype(seen.size()), qsizetype(Words::allCases().size()));
}

void TestWords::translationTable()
{
    QTranslator translator;
    for (const Words words : Words::allCases())
        QCOMPARE(words.string(), words.rawValue()); // untranslated is English
    QVERIFY(translator.load(u":/words_test.qm"_qs));
    QVERIFY(QCoreApplication::installTranslator(&translator));
    QCOMPARE(Words(Words::cloudLogin).string(), u"Anmelden"_qs);
    QCOMPARE(Words(Words::aiLoading).string(), u"Einstellungen werden geprüft…"_qs);
    // Only the "Words" context counts, and a missing entry falls back to English.
    QCOMPARE(Words(Words::cloudLogout).string(), u"Sign out"_qs);
    QCOMPARE(Words(Words::quit).string(), u"Quit Vorno"_qs);
    QVERIFY(QCoreApplication::removeTranslator(&translator));
    QCOMPARE(Words(Words::cloudLogin).string(), u"Sign in"_qs);
}

QTEST_GUILESS_MAIN(TestWords)
#include "TestWords.moc"
