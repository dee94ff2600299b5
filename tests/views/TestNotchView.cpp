#include "support/AccessibilitySettings.h"
#include "support/style/Disclosure.h"
#include "support/style/ProgressBar.h"
#include "stores/CaptureStore.h"
#include "views/DropBatch.h"
#include "views/NotchContents.h"
#include "views/NotchHitView.h"
#include "views/NotchPresentation.h"
#include "views/NotchPressButton.h"
#include "views/NotchView.h"
#include "platform/ScreenSpace.h"
#include "ScriptedCapture.h"
#include "ScriptedNotificationCenter.h"
#include "TemporaryHome.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QFile>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>

using namespace vorno;

namespace {

NotchLayout layoutFor(double width, double height)
{
    const Rect screen {0, 0, width, height};
    return NotchLayout::resolve(screen, {0, 0, width, height - 30}, std::nullopt);
}

} // namespace

// The notch's hit area, its header and dropped files.
class TestNotchView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        m_capture = std::make_unique<ScriptedCapture>(m_home->path(), false);
        m_presentation = std::make_unique<NotchPresentation>(layoutFor(1920, 1080));
    }

    void cleanup()
    {
        m_view.reset();
        m_presentation.reset();
        m_capture.reset();
        m_home.reset();
    }

    void topBandNeverTakesClicks()
    {
        QWidget window;
        window.resize(300, 200);
        auto *hit = new NotchHitView(&window);
        hit->setGeometry(50, 0, 200, 100);
        hit->setShape({.bottomRadius = 30});
        hit->setNoninteractiveTop(20);
        window.show();
        const auto global = [&](int x, int y) { return hit->mapToGlobal(QPoint(x, y)); };
        QVERIFY(!hit->contains(global(100, 5)));    // in the band
        QVERIFY(hit->contains(global(100, 25)));    // just below it
        QVERIFY(!hit->contains(global(2, 97)));     // outside the rounded corner
        QVERIFY(hit->contains(global(100, 97)));    // the bottom edge's middle
        QVERIFY(!hit->contains(global(-10, 50)));   // beside the notch
        const QRegion region = hit->windowRegion();
        QVERIFY(!region.contains(QPoint(150, 5)));
        QVERIFY(region.contains(QPoint(150, 60)));
        QVERIFY(!region.contains(QPoint(51, 99)));
    }

    void dropsStageInDropOrder()
    {
        const QList<QUrl> files {file(u"one.txt"_qs), file(u"two.txt"_qs), file(u"three.txt"_qs)};
        DropBatch batch(m_capture->store.get(), 3);
        for (const qsizetype answer : {2, 0, 1}) {
            QVERIFY(!batch.isComplete());
            batch.received(files[answer], answer);
        }
        QVERIFY(batch.isComplete());
        QCOMPARE(m_capture->store->files(), files);
    }

    void aDropWithANonFileStagesNothing()
    {
        makeView();
        QVERIFY(m_view->drop({file(u"one.txt"_qs), QUrl(u"https://example.com/two.txt"_qs)}));
        QVERIFY(m_capture->store->files().isEmpty());
        QCOMPARE(m_capture->store->notice(), std::optional<Words>(Words::fileError));
        QCOMPARE(m_capture->store->page(), CaptureStore::Page::files);
    }

    void aFileDraggedOntoTheEditorIsStaged()
    {
        makeView();
        m_capture->store->show(CaptureStore::Page::compose);
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        QPlainTextEdit *editor = nullptr;
        for (QPlainTextEdit *each : m_view->findChildren<QPlainTextEdit *>())
            if (each->isVisible())
                editor = each;
        QVERIFY(editor);
        const QUrl dropped = file(u"one.txt"_qs);
        QMimeData data;
        data.setUrls({dropped});
        data.setText(dropped.toString());
        // Through the window, as the desktop delivers it: Qt picks the widget under the pointer.
        const QPointF at = editor->viewport()->mapTo(m_view.get(), editor->viewport()->rect().center());
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_view->windowHandle(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_view->windowHandle(), &drop);
        QCOMPARE(m_capture->store->files(), QList<QUrl> {dropped});
        QCOMPARE(editor->toPlainText(), QString());
    }

    void savingWorksFromAnywhereInThePanel()
    {
        makeView();
        m_capture->store->show(CaptureStore::Page::compose);
        m_view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
        m_capture->store->setText(u"Wrote the release notes."_qs);
        auto *contents = m_view->findChild<NotchContents *>();
        QVERIFY(contents);
        QWidget *gear = contents->settingsButton();
        gear->setFocus();
        QTRY_VERIFY(gear->hasFocus());
        QTest::keyClick(gear, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(m_capture->store->savedText(), u"Wrote the release notes."_qs);
    }

    // What Qt's accessibility bridge hands to screen readers over AT-SPI.
    void screenReadersAreToldTheState()
    {
        const auto told = [](QWidget *widget, QAccessible::Text text) {
            return QAccessible::queryAccessibleInterface(widget)->text(text);
        };
        makeView();
        m_presentation->setRevealed(true);
        QCOMPARE(told(m_view->plusButton(), QAccessible::Name), Words(Words::quick).string());
        m_capture->store->show(CaptureStore::Page::compose);
        QCOMPARE(told(m_view->plusButton(), QAccessible::Name), Words(Words::close).string());

        m_capture->store->stage({file(u"one.txt"_qs), file(u"two.txt"_qs)});
        m_capture->store->show(CaptureStore::Page::compose);
        auto *contents = m_view->findChild<NotchContents *>();
        QVERIFY(contents);
        QVERIFY(told(contents->reviewFilesButton(), QAccessible::Name).endsWith(u", 2"_qs));

        style::Disclosure group(u"Before uploading"_qs, &m_settings);
        auto *header = group.findChild<QAbstractButton *>();
        QVERIFY(!QAccessible::queryAccessibleInterface(header)->state().checked);
        header->click();
        QVERIFY(QAccessible::queryAccessibleInterface(header)->state().checked);

        style::ProgressBar bar;
        bar.setProgress(0, 4);
        QCOMPARE(told(&bar, QAccessible::Description), u"0%"_qs);
    }

private:
    [[nodiscard]] QUrl file(const QString &name) const
    {
        const QString path = m_home->path() + u'/' + name;
        QFile out(path);
        if (out.open(QIODevice::WriteOnly))
            out.write("note");
        return QUrl::fromLocalFile(path);
    }

    void makeView()
    {
        m_view = std::make_unique<NotchView>(m_capture->store.get(), m_presentation.get(), &m_settings,
                                             NotchView::Options {.notifications = &m_notifications});
        const QRectF canvas = ScreenSpace::within(m_presentation->layout().canvas, m_presentation->layout().canvas);
        m_view->resize(canvas.size().toSize());
        m_view->show();
    }

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<ScriptedCapture> m_capture;
    std::unique_ptr<NotchPresentation> m_presentation;
    std::unique_ptr<NotchView> m_view;
    ScriptedNotificationCenter m_notifications;
    AccessibilitySettings m_settings {AccessibilitySettings::Values {.reduceMotion = true}};
};

QTEST_MAIN(TestNotchView)
#include "TestNotchView.moc"
