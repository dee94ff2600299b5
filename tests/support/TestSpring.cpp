#include "support/Spring.h"
#include "support/SpringAnimation.h"

#include <QSignalSpy>
#include <QTest>

using namespace vorno;

class TestSpring : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reducedMotionJumpsAndStillFinishes()
    {
        SpringAnimation animation;
        animation.setSpring({0.3, 0.9});
        QSignalSpy finished(&animation, &QVariantAnimation::finished);
        QSignalSpy values(&animation, &QVariantAnimation::valueChanged);
        animation.moveTo(0.0, true);
        animation.moveTo(1.0, true);
        QCOMPARE(finished.count(), 2);
        QCOMPARE(values.count(), 2);
        QCOMPARE(animation.state(), QAbstractAnimation::Stopped);
        QCOMPARE(animation.now().toDouble(), 1.0);
    }
};

QTEST_GUILESS_MAIN(TestSpring)
#include "TestSpring.moc"
