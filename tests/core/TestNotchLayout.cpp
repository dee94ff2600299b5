#include "core/NotchLayout.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>

using namespace vorno;

namespace {

const Rect macScreen {0, 0, 1512, 982};
const Rect macVisible {0, 0, 1512, 945};

} // namespace

namespace vorno {
// Lets QCOMPARE print rectangles.
char *toString(const Rect &r)
{
    return QTest::toString(QStringLiteral("(%1, %2, %3 x %4)").arg(r.x).arg(r.y).arg(r.width).arg(r.height));
}
} // namespace vorno

class TestNotchLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void workedExample()
    {
        const NotchLayout layout = NotchLayout::resolve(macScreen, macVisible, Rect {663, 950, 186, 32});
        QCOMPARE(layout.compact.frame, (Rect {663, 898, 186, 84}));
        QCOMPARE(layout.expanded.frame, (Rect {536, 450, 440, 532}));
        QCOMPARE(layout.hidden.frame, (Rect {663, 950, 186, 32}));
        QCOMPARE(layout.activation, (Rect {643, 884, 226, 98}));
        QCOMPARE(layout.canvas, (Rect {512, 426, 488, 556}));
        for (const PanelGeometry &panel : {layout.compact, layout.expanded, layout.hidden}) {
            QCOMPARE(panel.cameraWidth, 186.0);
            QCOMPARE(panel.cameraHeight, 32.0);
            QVERIFY(panel.hasNotch());
        }
        QCOMPARE(NotchLayout::resolve(macScreen, macVisible, Rect {663, 950, 186, 32}), layout);
    }

    void framesHangFromTheTopEdge()
    {
        // Whatever the screen, every frame hangs from its top edge and the canvas stays on it.
        QRandomGenerator random(20261206);
        for (int i = 0; i < 2000; ++i) {
            const double width = random.bounded(4000.0) + 1;
            const double height = random.bounded(3000.0) + 1;
            const Rect screen {random.bounded(8000.0) - 4000, random.bounded(4000.0) - 2000, width, height};
            const double inset = random.bounded(height);
            const Rect visible {screen.x + random.bounded(width / 4), screen.y, width - random.bounded(width / 4), height - inset};
            std::optional<Rect> camera;
            if (random.bounded(2))
                camera = Rect {screen.midX() - 90 + random.bounded(200.0) - 100, screen.maxY() - 32, 180, 32 + random.bounded(20.0)};

            const NotchLayout layout = NotchLayout::resolve(screen, visible, camera);
            for (const PanelGeometry &panel : {layout.compact, layout.expanded, layout.hidden})
                QCOMPARE(panel.frame.maxY(), screen.maxY());
            QCOMPARE(layout.canvas.maxY(), screen.maxY());
            QVERIFY(layout.canvas.minX() >= screen.minX() - 1e-9 || layout.canvas.width >= screen.width);
            QVERIFY(layout.canvas.maxX() <= screen.maxX() + 1e-9);
            QVERIFY(layout.canvas.height <= screen.height);
            QVERIFY(layout.activation.maxY() <= screen.maxY() + 1e-9);
            QVERIFY(layout.compact.frame.height >= PanelGeometry::headerHeight || visible.height - 32 < PanelGeometry::headerHeight);
            QCOMPARE(NotchLayout::resolve(screen, visible, camera), layout);
        }
    }
};

QTEST_GUILESS_MAIN(TestNotchLayout)
#include "TestNotchLayout.moc"
