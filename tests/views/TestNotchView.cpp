#include "support/AccessibilitySettings.h"
#include "support/style/Disclosure.h"
#include "support/style/ProgressBar.h"
#include "stores/CaptureStore.h"
#include "views/DropBatch.h"
#include "views/NotchContents.h"
#include "views/NotchHitView.h"
#include "views/NotchPresentation.h"
#include "views/NotchPressButton.h"
#include "views/NotchShape.h"
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

Q_DECLARE_METATYPE(CaptureStore::Page)

// The notch's outline, its hit area, the outline per state and dropped files.
class TestNotchView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void radiusIsClamped_data();
    void radiusIsClamped();
    void outlineCoversWholePixels_data();
    void outlineCoversWholePixels();
    void topBandNeverTakesClicks();
    void outlinePerState_data();
    void outlinePerState();
    void headerButtonsOnlyWhileShown();
    void dropsStageInDropOrder();
    void aDropWithANonFileStagesNothing();
    void dropsRefusedOnOtherPages();
    void aFileDraggedOntoTheEditorIsStaged();
    void savingWorksFromAnywhereInThePanel();
    void screenReadersAreToldTheState();
    void savingPlaysTheCelebration();

private:
    [[nodiscard]] QUrl file(const QString &name) const;
    void makeView();

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<ScriptedCapture> m_capture;
    std::unique_ptr<NotchPresentation> m_presentation;
    std::unique_ptr<NotchView> m_view;
    ScriptedNotificationCenter m_notifications;
    AccessibilitySettings m_settings {AccessibilitySettings::Values {.reduceMotion = true}};
};

namespace {

NotchLayout layoutFor(double width, double height)
{
    const Rect screen {0, 0, width, height};
    return NotchLayout::resolve(screen, {0, 0, width, height - 30}, std::nullopt);
}

} // namespace

void TestNotchView::init()
{
    m_home = std::make_unique<TemporaryHome>();
    m_capture = std::make_unique<ScriptedCapture>(m_home->path(), false);
    m_presentation = std::make_unique<NotchPresentation>(layoutFor(1920, 1080));
}

void TestNotchView::cleanup()
{
    m_view.reset();
    m_presentation.reset();
    m_capture.reset();
    m_home.reset();
}

void TestNotchView::makeView()
{
    m_view = std::make_unique<NotchView>(m_capture->store.get(), m_presentation.get(), &m_settings,
                                         NotchView::Options {.notifications = &m_notifications});
    const QRectF canvas = ScreenSpace::within(m_presentation->layout().canvas, m_presentation->layout().canvas);
    m_view->resize(canvas.size().toSize());
    m_view->show();
}

QUrl TestNotchView::file(const QString &name) const
{
    const QString path = m_home->path() + u'/' + name;
    QFile out(path);
    if (out.open(QIODevice::WriteOnly))
        out.write("note");
    return QUrl::fromLocalFile(path);
}

void TestNotchView::radiusIsClamped_data()
{
    QTest::addColumn<QSizeF>("size");
    QTest::addColumn<double>("asked");
    QTest::addColumn<double>("drawn");

    QTest::newRow("short rectangle") << QSizeF(100, 20) << 32.0 << 10.0;
    QTest::newRow("narrow rectangle") << QSizeF(30, 200) << 24.0 << 15.0;
    QTest::newRow("negative") << QSizeF(100, 20) << -5.0 << 0.0;
    QTest::newRow("fits") << QSizeF(440, 380) << 32.0 << 32.0;
}

void TestNotchView::radiusIsClamped()
{
    QFETCH(QSizeF, size);
    QFETCH(double, asked);
    QFETCH(double, drawn);
    const NotchShape shape {.bottomRadius = asked};
    QCOMPARE(shape.radiusIn(QRectF(QPointF(), size)), drawn);
    // The outline stays inside its rectangle whatever was asked.
    QVERIFY(QRectF(QPointF(), size).adjusted(-0.01, -0.01, 0.01, 0.01).contains(shape.path(QRectF(QPointF(), size)).boundingRect()));
}

void TestNotchView::outlineCoversWholePixels_data()
{
    QTest::addColumn<QRectF>("outline");
    QTest::addColumn<QRect>("pixels");

    // Where a spring comes to rest: a hair off its target either way.
    QTest::newRow("hidden, a hair tall") << QRectF(149.5, 0.3, 190, 0.05) << QRect(150, 0, 190, 0);
    QTest::newRow("hidden, a hair short") << QRectF(149, 0, 190.02, -0.0) << QRect(149, 0, 190, 0);
    QTest::newRow("open, a hair wide") << QRectF(23.8, 0, 440.3, 379.9) << QRect(24, 0, 440, 380);
}

void TestNotchView::outlineCoversWholePixels()
{
    QFETCH(QRectF, outline);
    QFETCH(QRect, pixels);
    QCOMPARE(NotchView::pixelsOf(outline), pixels);
}

void TestNotchView::topBandNeverTakesClicks()
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

void TestNotchView::outlinePerState_data()
{
    QTest::addColumn<double>("screenHeight");
    QTest::addColumn<bool>("expanded");
    QTest::addColumn<bool>("revealed");
    QTest::addColumn<bool>("note");
    QTest::addColumn<CaptureStore::Page>("page");
    QTest::addColumn<int>("files");
    QTest::addColumn<double>("height"); // -1: the expanded frame's
    QTest::addColumn<double>("radius");

    using P = CaptureStore::Page;
    QTest::newRow("hidden") << 1080.0 << false << false << false << P::compose << 0 << 0.0 << 10.0;
    QTest::newRow("revealed") << 1080.0 << false << true << false << P::compose << 0 << 52.0 << 24.0;
    QTest::newRow("note") << 1080.0 << false << false << true << P::compose << 0 << 228.0 << 32.0;
    QTest::newRow("note beats reveal") << 1080.0 << false << true << true << P::compose << 0 << 228.0 << 32.0;
    QTest::newRow("compose") << 1080.0 << true << false << false << P::compose << 0 << 380.0 << 32.0;
    QTest::newRow("compose with a file") << 1080.0 << true << true << false << P::compose << 1 << 440.0 << 32.0;
    QTest::newRow("files page") << 1080.0 << true << false << false << P::files << 1 << -1.0 << 32.0;
    QTest::newRow("settings page") << 1080.0 << true << false << true << P::settings << 0 << -1.0 << 32.0;
    QTest::newRow("compose on a low screen") << 400.0 << true << false << false << P::compose << 1 << -1.0 << 32.0;
}

void TestNotchView::outlinePerState()
{
    QFETCH(double, screenHeight);
    QFETCH(bool, expanded);
    QFETCH(bool, revealed);
    QFETCH(bool, note);
    QFETCH(CaptureStore::Page, page);
    QFETCH(int, files);
    QFETCH(double, height);
    QFETCH(double, radius);

    const NotchLayout layout = layoutFor(1920, screenHeight);
    const NotchView::State state {.expanded = expanded, .revealed = revealed, .showingNote = note && !expanded,
                                  .page = page, .pendingFiles = files};
    const PanelGeometry geometry = NotchView::geometryFor(layout, state);
    QCOMPARE(geometry.frame.height, height < 0 ? layout.expanded.frame.height : height);
    QVERIFY(geometry.frame.height <= std::max(layout.expanded.frame.height, layout.hidden.frame.height));
    QCOMPARE(geometry.frame.maxY(), screenHeight); // hanging from the top edge
    QCOMPARE(NotchView::radiusFor(state), radius);
}

void TestNotchView::headerButtonsOnlyWhileShown()
{
    makeView();
    QVERIFY(!m_view->quickButton()->isEnabled());
    QVERIFY(!m_view->plusButton()->isEnabled());
    m_presentation->setRevealed(true);
    QVERIFY(m_view->quickButton()->isEnabled());
    QVERIFY(m_view->surfaceRect().height() > 0);
    m_presentation->setRevealed(false);
    QVERIFY(!m_view->plusButton()->isEnabled());
    QCOMPARE(m_view->surfaceRect().height(), 0.0);
}

void TestNotchView::dropsStageInDropOrder()
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

void TestNotchView::aDropWithANonFileStagesNothing()
{
    makeView();
    QVERIFY(m_view->drop({file(u"one.txt"_qs), QUrl(u"https://example.com/two.txt"_qs)}));
    QVERIFY(m_capture->store->files().isEmpty());
    QCOMPARE(m_capture->store->notice(), std::optional<Words>(Words::fileError));
    QCOMPARE(m_capture->store->page(), CaptureStore::Page::files);
}

void TestNotchView::dropsRefusedOnOtherPages()
{
    makeView();
    m_capture->store->show(CaptureStore::Page::settings);
    QVERIFY(!m_view->drop({file(u"one.txt"_qs)}));
    QVERIFY(m_capture->store->files().isEmpty());
    m_capture->store->show(CaptureStore::Page::compose);
    QVERIFY(m_view->drop({file(u"one.txt"_qs)}));
    QCOMPARE(m_capture->store->files().size(), 1);
}

void TestNotchView::aFileDraggedOntoTheEditorIsStaged()
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

void TestNotchView::savingWorksFromAnywhereInThePanel()
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
void TestNotchView::screenReadersAreToldTheState()
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

void TestNotchView::savingPlaysTheCelebration()
{
    makeView();
    m_capture->store->setText(u"Wrote the release notes."_qs);
    QVERIFY(m_capture->store->saveDraft());
    QCOMPARE(m_view->successCue(), 1);
    m_capture->store->setNotice(std::nullopt);
    QCOMPARE(m_view->successCue(), 1);
}

QTEST_MAIN(TestNotchView)
#include "TestNotchView.moc"
