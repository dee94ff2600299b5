#include "AccessibilitySettings.h"
#include "CaptureButtonBody.h"
#include "CaptureCelebration.h"
#include "BrandSymbol.h"
#include "CaptureEditor.h"
#include "CaptureToggle.h"
#include "Symbols.h"
#include "VornoMetrics.h"
#include "VornoSurface.h"

#include <QDirIterator>
#include <QPlainTextEdit>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QSignalSpy>
#include <QTest>

using namespace vorno;

using Kind = CaptureButtonBody::Kind;
using Values = AccessibilitySettings::Values;
Q_DECLARE_METATYPE(Kind)

namespace {

const QColor primary = Qt::white;

QString describe(const std::optional<QColor> &color)
{
    if (!color)
        return u"none"_qs;
    if (color->rgb() == VornoMetrics::action().rgb())
        return u"action"_qs;
    return QString::number(color->alphaF(), 'g', 3);
}

} // namespace

// The shared style's looks and geometry, as pure functions of their state.
class TestCaptureStyle : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void buttonLooks_data();
    void buttonLooks();
    void surfaceTreatment_data();
    void surfaceTreatment();
    void toggleGeometry();
    void celebrationDots();
    void accessibilityOverrides();
    void editorPlaceholder();
    void celebrationRestarts();
    void everyNamedSymbolIsDrawn();
};

void TestCaptureStyle::buttonLooks_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("state");  // letters: d disabled, p pressed, h hovered, f focused, m reduced motion, c contrast
    QTest::addColumn<QString>("fill");   // "gradient", "none" or an opacity of primary
    QTest::addColumn<QString>("border"); // "none", "action" or an opacity of primary, then the line width
    QTest::addColumn<double>("label");   // opacity of primary; 0: black
    QTest::addColumn<bool>("shadow");
    QTest::addColumn<double>("scale");
    QTest::addColumn<double>("lift");

    QTest::newRow("primary at rest")        << Kind::primary   << ""   << "gradient" << "0.18 1" << 0.0 << false << 1.0  << 0.0;
    QTest::newRow("primary hovered")        << Kind::primary   << "h"  << "gradient" << "0.18 1" << 0.0 << true  << 1.0  << -1.0;
    QTest::newRow("primary pressed")        << Kind::primary   << "ph" << "gradient" << "0.18 1" << 0.0 << true  << 0.97 << 0.0;
    QTest::newRow("primary disabled")       << Kind::primary   << "dph" << "0.035"   << "0.1 1"  << 0.4 << false << 1.0  << 0.0;
    QTest::newRow("primary focused")        << Kind::primary   << "f"  << "gradient" << "action 2" << 0.0 << false << 1.0 << 0.0;
    QTest::newRow("secondary at rest")      << Kind::secondary << ""   << "0.065"    << "0.1 1"  << 0.9 << false << 1.0  << 0.0;
    QTest::newRow("secondary hovered")      << Kind::secondary << "h"  << "0.12"     << "0.1 1"  << 0.9 << false << 1.0  << -1.0;
    QTest::newRow("quiet at rest")          << Kind::quiet     << ""   << "none"     << "none 1" << 0.9 << false << 1.0  << 0.0;
    QTest::newRow("quiet hovered")          << Kind::quiet     << "h"  << "0.12"     << "0.1 1"  << 0.9 << false << 1.0  << -1.0;
    QTest::newRow("quiet with contrast")    << Kind::quiet     << "c"  << "none"     << "0.6 1"  << 0.9 << false << 1.0  << 0.0;
    QTest::newRow("focus over contrast")    << Kind::secondary << "cf" << "0.065"    << "action 2" << 0.9 << false << 1.0 << 0.0;
    QTest::newRow("reduced motion pressed") << Kind::primary   << "phm" << "gradient" << "0.18 1" << 0.0 << true << 1.0  << 0.0;
    QTest::newRow("reduced motion hovered") << Kind::secondary << "hm" << "0.12"     << "0.1 1"  << 0.9 << false << 1.0  << 0.0;
}

void TestCaptureStyle::buttonLooks()
{
    QFETCH(Kind, kind);
    QFETCH(QString, state);
    QFETCH(QString, fill);
    QFETCH(QString, border);
    QFETCH(double, label);
    QFETCH(bool, shadow);
    QFETCH(double, scale);
    QFETCH(double, lift);

    const CaptureButtonBody::State buttonState {!state.contains(u'd'), state.contains(u'p'), state.contains(u'h'),
                                                state.contains(u'f')};
    const Values settings {.reduceMotion = state.contains(u'm'), .increaseContrast = state.contains(u'c')};
    const CaptureButtonBody body = CaptureButtonBody::look(kind, buttonState, settings, primary);
    QCOMPARE(body.gradient ? u"gradient"_qs : describe(body.fill), fill);
    QCOMPARE(describe(body.border) + u' ' + QString::number(body.borderWidth), border);
    QCOMPARE(label == 0 ? body.label.rgba() == QColor(Qt::black).rgba() : qFuzzyCompare(body.label.alphaF(), float(label)),
             true);
    QCOMPARE(body.shadow.has_value(), shadow);
    QCOMPARE(body.scale, scale);
    QCOMPARE(body.yOffset, lift);
}

void TestCaptureStyle::surfaceTreatment_data()
{
    QTest::addColumn<int>("role");
    QTest::addColumn<bool>("reduceTransparency");
    QTest::addColumn<bool>("increaseContrast");
    QTest::addColumn<bool>("solid");
    QTest::addColumn<double>("rim");
    QTest::addColumn<double>("shadow");

    using Role = VornoSurface::Role;
    QTest::newRow("panel")                        << int(Role::panel)   << false << false << false << 0.12 << 0.05;
    QTest::newRow("panel, reduced transparency")  << int(Role::panel)   << true  << false << true  << 0.12 << 0.0;
    QTest::newRow("panel, contrast")              << int(Role::panel)   << false << true  << true  << 0.55 << 0.0;
    QTest::newRow("reading")                      << int(Role::reading) << false << false << true  << 0.0  << 0.0;
    QTest::newRow("reading, contrast")            << int(Role::reading) << false << true  << true  << 0.55 << 0.0;
    QTest::newRow("input")                        << int(Role::input)   << false << false << true  << 0.12 << 0.0;
}

void TestCaptureStyle::surfaceTreatment()
{
    QFETCH(int, role);
    QFETCH(bool, reduceTransparency);
    QFETCH(bool, increaseContrast);
    QFETCH(bool, solid);
    QFETCH(double, rim);
    QFETCH(double, shadow);

    const VornoSurface::Treatment treatment = VornoSurface::treatment(
        VornoSurface::Role(role), {.increaseContrast = increaseContrast, .reduceTransparency = reduceTransparency});
    QCOMPARE(treatment, (VornoSurface::Treatment {solid, rim, shadow}));
}

void TestCaptureStyle::toggleGeometry()
{
    const QSizeF row(300, 40);
    // A switch's knob sits 8.5 either side of the track's centre, after the label.
    const CaptureToggle::Geometry off = CaptureToggle::geometry(false, row, 16, 0, {});
    const CaptureToggle::Geometry on = CaptureToggle::geometry(false, row, 16, 1, {});
    QCOMPARE(off.track.size(), QSizeF(42, 25));
    QCOMPARE(on.knob.center().x() - on.track.center().x(), 8.5);
    QCOMPARE(off.knob.center().x() - off.track.center().x(), -8.5);
    QVERIFY(off.label.right() + CaptureToggle::spacing <= off.track.left());
    // A checkbox comes before its label; its check grows from 0.6, unless motion is reduced.
    const CaptureToggle::Geometry box = CaptureToggle::geometry(true, row, 16, 0, {});
    QVERIFY(box.track.right() + CaptureToggle::spacing <= box.label.left());
    QCOMPARE(box.track.size(), QSizeF(21, 21));
    QCOMPARE(box.checkScale, 0.6);
    QCOMPARE(box.checkOpacity, 0.0);
    QCOMPARE(CaptureToggle::geometry(true, row, 16, 0, {.reduceMotion = true}).checkScale, 1.0);
    QCOMPARE(CaptureToggle::geometry(true, row, 16, 1, {}).checkScale, 1.0);
}

void TestCaptureStyle::celebrationDots()
{
    const QSizeF canvas(64, 64);
    const std::vector<CaptureCelebration::Dot> start = CaptureCelebration::dotsAt(0, canvas);
    QCOMPARE(start.size(), 7u);
    // Dot 0 at the top, the next one clockwise (to the right, y growing downwards).
    QCOMPARE(start[0].centre, QPointF(32, 20));
    QVERIFY(start[1].centre.x() > 32 && start[1].centre.y() > 20);
    QCOMPARE(start[0].radius, 1.5);
    QCOMPARE(start[0].color, VornoMetrics::action());
    QCOMPARE(start[1].color, VornoMetrics::burstLight());
    const std::vector<CaptureCelebration::Dot> end = CaptureCelebration::dotsAt(1, canvas);
    QCOMPARE(end[0].centre, QPointF(32, 3));
    QCOMPARE(end[0].radius, 0.9);
    QCOMPARE(CaptureCelebration::opacityAt(1), 0.0);
}

void TestCaptureStyle::accessibilityOverrides()
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

void TestCaptureStyle::editorPlaceholder()
{
    CaptureEditor editor(nullptr);
    QVERIFY(editor.showsPlaceholder());
    QTest::keyClick(editor.editor(), Qt::Key_A);
    QVERIFY(!editor.showsPlaceholder());
    QTest::keyClick(editor.editor(), Qt::Key_Backspace);
    QVERIFY(editor.showsPlaceholder());
}

void TestCaptureStyle::celebrationRestarts()
{
    AccessibilitySettings settings;
    CaptureCelebration burst(&settings);
    QCOMPARE(burst.progress(), 1.0); // at rest nothing shows
    burst.setTrigger(1);
    QCOMPARE(burst.progress(), 0.0);
    QTRY_VERIFY(burst.progress() > 0.2);
    burst.setTrigger(2); // a second save before the first burst ends starts it over
    QCOMPARE(burst.progress(), 0.0);
    QTRY_COMPARE(burst.progress(), 1.0);

    settings.setDesktopValues({.reduceMotion = true});
    burst.setTrigger(3);
    QCOMPARE(burst.progress(), 1.0);
}

// Every symbol the interface names has a drawing, and its ink takes the colour.
void TestCaptureStyle::everyNamedSymbolIsDrawn()
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

QTEST_MAIN(TestCaptureStyle)
#include "TestCaptureStyle.moc"
