#include "support/AccessibilitySettings.h"
#include "views/CaptureCelebration.h"
#include "support/BrandSymbol.h"
#include "support/style/Editor.h"
#include "support/Symbols.h"

#include <QDirIterator>
#include <QPlainTextEdit>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QSignalSpy>
#include <QTest>

using namespace vorno;

using Values = AccessibilitySettings::Values;

// The shared style's looks and geometry, as pure functions of their state.
class TestStyle : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void accessibilityOverrides()
    {
        AccessibilitySettings settings;
        QSignalSpy changed(&settings, &AccessibilitySettings::changed);
        settings.setDesktopValues({.reduceMotion = true});
        QCOMPARE(changed.count(), 1);
        settings.setDesktopValues({.reduceMotion = true});
        QCOMPARE(changed.count(), 1); // nothing moved

        QProcessEnvironment environment;
        environment.insert(u"VORNO_REDUCE_MOTION"_qs, u"0"_qs);
        environment.insert(u"VORNO_INCREASE_CONTRAST"_qs, u"1"_qs);
        environment.insert(u"VORNO_REDUCE_TRANSPARENCY"_qs, u"yes"_qs); // not 1 or 0: the desktop decides
        settings.setEnvironment(environment);
        QCOMPARE(settings.values(), (Values {.reduceMotion = false, .increaseContrast = true, .reduceTransparency = false}));
        settings.setDesktopValues({.reduceMotion = true, .reduceTransparency = true});
        QCOMPARE(settings.values(), (Values {.reduceMotion = false, .increaseContrast = true, .reduceTransparency = true}));
        QCOMPARE(changed.count(), 3);
    }

    void everyNamedSymbolIsDrawn();
};

// Every symbol the interface names has a drawing, and its ink takes the colour.
void TestStyle::everyNamedSymbolIsDrawn()
{
    QStringList names;
    const QRegularExpression named(
        uR"re((?:setWords\(Words::\w+, |setIconName\(|Symbols::pixmap\(|symbolLabel\()QStringLiteral\("([^"]+)"\))re"_qs);
    QDirIterator sources(QStringLiteral(VORNO_SOURCE_DIR "/src"), {u"*.cpp"_qs}, QDir::Files,
                         QDirIterator::Subdirectories);
    while (sources.hasNext()) {
        QFile file(sources.next());
        QVERIFY(file.open(QIODevice::ReadOnly));
        for (const QRegularExpressionMatch &match : named.globalMatch(QString::fromUtf8(file.readAll())))
            names.append(match.captured(1));
    }
    names.removeDuplicates();
    QVERIFY2(names.size() >= 10, qPrintable(names.join(u", ")));
    for (const QString &name : names) {
        QVERIFY2(Symbols::exists(name), qPrintable(name));
        const QImage image = Symbols::pixmap(name, 16, Qt::red, 1).toImage().convertToFormat(QImage::Format_ARGB32);
        int inked = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                inked += qAlpha(image.pixel(x, y)) > 40 && qRed(image.pixel(x, y)) > 200 ? 1 : 0;
        QVERIFY2(inked > 4, qPrintable(name));
    }
    QVERIFY(BrandSymbol::load().isValid());
}

QTEST_MAIN(TestStyle)
#include "TestStyle.moc"
