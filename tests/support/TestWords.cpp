#include "support/Words.h"

#include <QDir>
#include <QRegularExpression>

#include <QCoreApplication>
#include <QSet>
#include <QTest>
#include <QTranslator>

using namespace vorno;

class TestWords : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyTextIsDistinctAndRoundTrips()
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

    void shippedTables_data()
    {
        QTest::addColumn<QString>("file");
        const QStringList tables = QDir(u":/i18n"_qs).entryList({u"vorno_*.qm"_qs});
        QVERIFY(tables.contains(u"vorno_en.qm"_qs));
        QVERIFY(tables.contains(u"vorno_de.qm"_qs));
        for (const QString &table : tables)
            QTest::newRow(qPrintable(table)) << table;
    }

    // Every text this desktop shows, in every shipped language: none names the
    // other platform, and a translation leaves no text in the keys' English.
    void shippedTables()
    {
        QFETCH(QString, file);
        static const QRegularExpression otherPlatform(u"\\bMac\\b|macOS|Keychain|Secure Enclave|System Settings"_qs);

        QTranslator translator;
        QVERIFY(translator.load(u":/i18n/"_qs + file));
        QVERIFY(QCoreApplication::installTranslator(&translator));
        const bool english = translator.language() == u"en"_qs;
        for (const Words words : Words::allCases()) {
            const QString text = words.string();
            QVERIFY2(!otherPlatform.match(text).hasMatch(), qPrintable(text));
            if (!english)
                QVERIFY2(text != words.rawValue(), qPrintable(text));
        }
        QCoreApplication::removeTranslator(&translator);
    }
};

QTEST_GUILESS_MAIN(TestWords)
#include "TestWords.moc"
