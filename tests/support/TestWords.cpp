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
    void allCases();
    void rawValueLookup_data();
    void rawValueLookup();
    void everyTextIsDistinctAndRoundTrips();
    void exactTexts_data();
    void exactTexts();
    void productWord();
    void untranslatedIsEnglish();
    void translationTable();
};

void TestWords::allCases()
{
    const auto &cases = Words::allCases();
    QCOMPARE(cases.size(), 94u);
    QCOMPARE(cases.front(), Words::fileReview);
    QCOMPARE(cases.back(), Words::notifications);
    QCOMPARE(cases[73], Words::recovery);
    for (std::size_t i = 0; i < cases.size(); ++i)
        QCOMPARE(std::size_t(cases[i].value()), i);
}

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
    QSet<Words> hashed(Words::allCases().cbegin(), Words::allCases().cend());
    QCOMPARE(hashed.size(), 94);
}

void TestWords::exactTexts_data()
{
    QTest::addColumn<int>("words");
    QTest::addColumn<QString>("text");

    QTest::newRow("cloudSaved")     << int(Words::cloudSaved)    << u"Saved to Vorno."_qs;
    QTest::newRow("recovery")       << int(Words::recovery)      << u"Could not read the existing draft. It has not been replaced."_qs;
    QTest::newRow("fileError")      << int(Words::fileError)     << u"Choose readable files, not folders or links. Nothing was uploaded."_qs;
    QTest::newRow("aiAllowed")      << int(Words::aiAllowed)     << u"Allowed \u00b7 macOS may silence delivery"_qs;
    QTest::newRow("aiTestFailed")   << int(Words::aiTestFailed)  << u"Could not send. Check vorno in System Settings > Notifications."_qs;
    QTest::newRow("cloudLong")      << int(Words::cloudLong)     << u"This note exceeds the 4,000-character manual record limit. You can still save the whole draft on this Mac."_qs;
    QTest::newRow("start")          << int(Words::start)         << u"What did you work on?"_qs;
    QTest::newRow("fileReview")     << int(Words::fileReview)    << u"Review files"_qs;
}

void TestWords::exactTexts()
{
    QFETCH(int, words);
    QFETCH(QString, text);
    QCOMPARE(Words(Words::Value(words)).rawValue(), text);
}

void TestWords::productWord()
{
    for (const Words words : {Words::filePartial, Words::cloudConflict})
        QVERIFY(words.rawValue().contains(u"web"_qs));
    for (const Words words : {Words::aiPrivate, Words::aiTestBody, Words::aiTestFailed})
        QVERIFY(words.rawValue().contains(u"vorno"_qs, Qt::CaseSensitive));
    for (const Words words : {Words::cloudSave, Words::cloudSaved, Words::cloudAccount, Words::cloudConflict, Words::web,
                              Words::app, Words::quit, Words::local})
        QVERIFY(words.rawValue().contains(u"Vorno"_qs, Qt::CaseSensitive));
}

void TestWords::untranslatedIsEnglish()
{
    for (const Words words : Words::allCases())
        QCOMPARE(words.string(), words.rawValue());
}

void TestWords::translationTable()
{
    QTranslator translator;
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
