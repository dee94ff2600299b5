#include "support/AccessibilitySettings.h"
#include "support/style/ButtonBody.h"
#include "views/CaptureCelebration.h"
#include "support/BrandSymbol.h"
#include "support/style/Editor.h"
#include "support/style/Toggle.h"
#include "support/Symbols.h"
#include "support/style/Metrics.h"
#include "support/style/Surface.h"

#include <QDirIterator>
#include <QLineF>
#include <QPlainTextEdit>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QSignalSpy>
#include <QTest>

using namespace vorno;

using Kind = style::ButtonBody::Kind;
using Values = AccessibilitySettings::Values;

// The shared style's looks and geometry, as pure functions of their state.
class TestCaptureStyle : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void buttonLooks();
    void surfaceTreatment();
    void toggleGeometry();
    void celebrationDots();
    void accessibilityOverrides();
    void editorPlaceholder();
    void celebrationRestarts();
    void everyNamedSymbolIsDrawn();
};

// What a person must be able to tell apart, in every state of every kind.
void TestCaptureStyle::buttonLooks()
{
    const QColor primary = Qt::white;
    const auto alpha = [](const std::optional<QColor> &color) { return color ? color->alphaF() : 0.0; };
    for (const Kind kind : {Kind::primary, Kind::secondary, Kind::quiet}) {
        for (int bits = 0; bits < 64; ++bits) {
            const style::ButtonBody::State state {!(bits & 1), bool(bits & 2), bool(bits & 4), bool(bits & 8)};
            const Values settings {.reduceMotion = bool(bits & 16), .increaseContrast = bool(bits & 32)};
            const style::ButtonBody body = style::ButtonBody::look(kind, state, settings, primary);
            const style::ButtonBody resting = style::ButtonBody::look(kind, {state.enabled}, {}, primary);
            const QByteArray where = QByteArray::number(int(kind)) + '/' + QByteArray::number(bits);
            const bool moves = state.enabled && !settings.reduceMotion;
            QVERIFY2((body.scale < 1) == (moves && state.pressed), where.constData());
            QVERIFY2((body.yOffset < 0) == (moves && state.hovered && !state.pressed), where.constData());
            QVERIFY2(body.shadow.has_value() == (kind == Kind::primary && state.enabled && state.hovered), where.constData());
            QVERIFY2(body.gradient == (kind == Kind::primary && state.enabled), where.constData());
            // The focus ring is the action colour, and wider than any other border.
            QVERIFY2(!state.focused || (body.border == style::Metrics::action() && body.borderWidth > 1), where.constData());
            QVERIFY2(state.focused || body.borderWidth == 1, where.constData());
            // Contrast draws a strong border on every kind; hovering lights the fill.
            if (settings.increaseContrast && !state.focused)
                QVERIFY2(alpha(body.border) >= 0.5, where.constData());
            if (state.enabled && state.hovered && kind != Kind::primary)
                QVERIFY2(alpha(body.fill) > alpha(resting.fill), where.constData());
            // A disabled label is dimmer; the primary's is black on its gradient.
            if (!state.enabled)
                QVERIFY2(body.label.alphaF() < style::ButtonBody::look(kind, {}, {}, primary).label.alphaF(), where.constData());
            else if (kind == Kind::primary)
                QVERIFY2(body.label.rgba() == QColor(Qt::black).rgba(), where.constData());
        }
    }
}

void TestCaptureStyle::surfaceTreatment()
{
    using Role = style::Surface::Role;
    for (const Role role : {Role::panel, Role::reading, Role::input}) {
        const style::Surface::Treatment plain = style::Surface::treatment(role, {});
        const style::Surface::Treatment contrast = style::Surface::treatment(role, {.increaseContrast = true});
        const style::Surface::Treatment opaque = style::Surface::treatment(role, {.reduceTransparency = true});
        // Only the panel is translucent and casts a shadow, and neither setting lets it.
        QCOMPARE(plain.solid, role != Role::panel);
        QCOMPARE(plain.shadowOpacity > 0, role == Role::panel);
        QVERIFY(contrast.solid && opaque.solid);
        QCOMPARE(contrast.shadowOpacity + opaque.shadowOpacity, 0.0);
        QVERIFY(contrast.rimOpacity >= 0.5);
        QCOMPARE(opaque.rimOpacity, plain.rimOpacity);
    }
}

void TestCaptureStyle::toggleGeometry()
{
    const QSizeF row(300, 40);
    // A switch's knob moves from the left half of its track to the right, after the label.
    const style::Toggle::Geometry off = style::Toggle::geometry(false, row, 16, 0, {});
    const style::Toggle::Geometry on = style::Toggle::geometry(false, row, 16, 1, {});
    QVERIFY(off.knob.center().x() < off.track.center().x());
    QCOMPARE(on.knob.center().x() - on.track.center().x(), off.track.center().x() - off.knob.center().x());
    QVERIFY(off.track.contains(off.knob) && on.track.contains(on.knob));
    QVERIFY(off.label.right() + style::Toggle::spacing <= off.track.left());
    // A checkbox comes before its label; its check grows in, unless motion is reduced.
    const style::Toggle::Geometry box = style::Toggle::geometry(true, row, 16, 0, {});
    QVERIFY(box.track.right() + style::Toggle::spacing <= box.label.left());
    QVERIFY(box.checkScale < 1);
    QCOMPARE(box.checkOpacity, 0.0);
    QCOMPARE(style::Toggle::geometry(true, row, 16, 0, {.reduceMotion = true}).checkScale, 1.0);
    QCOMPARE(style::Toggle::geometry(true, row, 16, 1, {}).checkScale, 1.0);
}

void TestCaptureStyle::celebrationDots()
{
    // The dots fly outwards from the centre and are gone at the end.
    const QSizeF canvas(64, 64);
    const QPointF centre(32, 32);
    const std::vector<CaptureCelebration::Dot> start = CaptureCelebration::dotsAt(0, canvas);
    const std::vector<CaptureCelebration::Dot> end = CaptureCelebration::dotsAt(1, canvas);
    QCOMPARE(start.size(), end.size());
    QVERIFY(start.size() >= 5);
    for (std::size_t i = 0; i < start.size(); ++i)
        QVERIFY(QLineF(centre, end[i].centre).length() > QLineF(centre, start[i].centre).length());
    QCOMPARE(start[0].centre.x(), centre.x()); // the first at the top
    QVERIFY(start[0].centre.y() < centre.y());
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
    style::Editor editor(nullptr);
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
