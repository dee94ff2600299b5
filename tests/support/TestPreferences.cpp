#include "support/Preferences.h"
#include "DataCases.h"
#include "TemporaryHome.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTest>

using namespace vorno;

namespace {

// Another program's write: its own QSettings, not the object under test.
void writeElsewhere(const QString &key, const QVariant &value)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, u"vorno"_qs, u"app.vorno.desktop"_qs);
    if (value.isValid())
        settings.setValue(key, value);
    else
        settings.remove(key);
    settings.sync();
}

} // namespace

class TestPreferences : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_home = std::make_unique<TemporaryHome>(); }
    void cleanup() { m_home.reset(); }

    void storedValues_data() { datacases::addTable(u"preferences.json"_qs, u"storedValues"_qs); }

    void storedValues()
    {
        QFETCH(QVariant, stored);
        QFETCH(bool, showNotch);
        QFETCH(bool, encouragementOS);
        writeElsewhere(u"showNotch"_qs, stored);
        writeElsewhere(u"encouragementOS"_qs, stored);
        const Preferences preferences;
        QCOMPARE(preferences.showNotch(), showNotch);
        QCOMPARE(preferences.encouragementOS(), encouragementOS);
    }

    // The notch asks on every pointer motion, so the object must learn of a
    // change without being asked: by watching the file.
    void followsAnotherWriter()
    {
        Preferences preferences;
        QSignalSpy notch(&preferences, &Preferences::showNotchChanged);
        QSignalSpy alerts(&preferences, &Preferences::encouragementOSChanged);
        writeElsewhere(u"showNotch"_qs, false);
        QVERIFY(notch.wait(5000));
        QVERIFY(!preferences.showNotch());
        // Again, now that the file exists and was replaced once already.
        writeElsewhere(u"showNotch"_qs, true);
        QTRY_VERIFY_WITH_TIMEOUT(preferences.showNotch(), 5000);
        QCOMPARE(notch.size(), 2);
        QCOMPARE(alerts.size(), 0);
    }

private:
    std::unique_ptr<TemporaryHome> m_home;
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "TestPreferences.moc"
