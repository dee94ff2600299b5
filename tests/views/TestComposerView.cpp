#include "support/AccessibilitySettings.h"
#include "DataCases.h"
#include "AwaitTask.h"
#include "support/style/Button.h"
#include "support/style/Editor.h"
#include "stores/CaptureStore.h"
#include "views/CloudAccountView.h"
#include "views/CloudComposerView.h"
#include "core/CloudError.h"
#include "stores/AccountNote.h"
#include "stores/CloudStore.h"
#include "views/ComposerView.h"
#include "FocusChain.h"
#include "ScriptedCapture.h"
#include "ScriptedTransport.h"
#include "ScriptedVault.h"
#include "support/Spawn.h"
#include "TemporaryHome.h"

#include <QPlainTextEdit>
#include <QAccessible>
#include <QLabel>
#include <QTest>

using namespace vorno;

// The compose page and the account view, driven as a user would: keys into
// the editor, shortcuts, and the stores' answers.
class TestComposerView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        makeStore(true);
    }

    void cleanup()
    {
        m_view.reset();
        m_store.reset();
        m_home.reset();
    }

    void failedSaveLeavesTheNoteReadOnly()
    {
        CloudComposerView *composer = m_view->cloudComposer();
        m_store->cloud()->note()->setText(u"shipped it"_qs);
        m_api->script(u"save"_qs, ScriptedTransport::failing(CloudError(CloudFailure::unavailable)));
        composer->sendButton()->click();
        QTRY_VERIFY(m_store->cloud()->note()->pending().has_value() && !m_store->cloud()->isBusy());
        QVERIFY(composer->editor()->editor()->isReadOnly());
        QCOMPARE(composer->sendButton()->text(), Words(Words::cloudRetrySave).string());

        composer->sendButton()->click(); // the retry succeeds
        QTRY_VERIFY(m_store->cloud()->note()->isAcknowledged());
        QVERIFY(composer->sendButton()->isHidden());
        QVERIFY(!composer->newNoteButton()->isHidden());
    }

    void shortcuts()
    {
        showActive();
        CloudComposerView *composer = m_view->cloudComposer();
        QPlainTextEdit *cloudEditor = composer->editor()->editor();
        cloudEditor->setFocus();
        QTest::keyClicks(cloudEditor, u"fixed the export"_qs);
        QTest::keyClick(cloudEditor, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(m_vault->entries.value(u"draft:user-1"_qs), QByteArray("fixed the export"));
        QCOMPARE(m_api->count(u"save"_qs), 0);
        QTest::keyClick(cloudEditor, Qt::Key_S, Qt::ControlModifier);
        QTRY_COMPARE(m_api->count(u"save"_qs), 1);
        QTRY_VERIFY(m_store->cloud()->note()->isAcknowledged());
        m_store->show(CaptureStore::Page::compose);
        QTest::keyClick(cloudEditor, Qt::Key_Escape); // the panel's composer closes the panel
        QVERIFY(!m_store->isExpanded());

        // Signed out, the same key keeps the local draft.
        makeStore(false);
        showActive();
        QPlainTextEdit *localEditor = m_view->editor()->editor();
        localEditor->setFocus();
        QTest::keyClicks(localEditor, u"local words"_qs);
        QTest::keyClick(localEditor, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(m_store->savedText(), u"local words"_qs);
        QCOMPARE(m_store->notice(), std::optional(Words(Words::saved)));
    }

    // Opening the panel refreshes the session; what is typed meanwhile stays,
    // and Save waits for the refresh. During a send the note stays as it is.
    void typingGoesOnDuringARefresh()
    {
        showActive();
        CloudComposerView *composer = m_view->cloudComposer();
        QPlainTextEdit *editor = composer->editor()->editor();
        editor->setFocus();
        const ScriptedTransport::Gate refreshed = ScriptedTransport::gate();
        m_api->script(u"owner"_qs, {u"user-1"_qs, {}, refreshed});
        spawn(m_store->cloud()->refreshSession());
        QVERIFY(m_store->cloud()->isBusy());
        QTest::keyClicks(editor, u"fixed the export"_qs);
        QCOMPARE(m_store->cloud()->note()->text(), u"fixed the export"_qs);
        composer->sendButton()->click();
        QCOMPARE(m_api->count(u"save"_qs), 0);

        const ScriptedTransport::Gate sent = ScriptedTransport::gate();
        m_api->script(u"save"_qs, {{}, {}, sent});
        refreshed->resolve(true);
        QTRY_COMPARE(m_api->count(u"save"_qs), 1);
        QTest::keyClicks(editor, u" twice"_qs);
        QCOMPARE(m_store->cloud()->note()->text(), u"fixed the export"_qs);
        sent->resolve(true);
        QTRY_VERIFY(m_store->cloud()->note()->isAcknowledged());
        QCOMPARE(m_api->saved().first().text, u"fixed the export"_qs);
    }

    void signingInSwitchesComposers()
    {
        makeStore(false);
        QVERIFY(!m_view->showsCloudComposer());
        m_store->setText(u"unsaved local text"_qs);
        QCOMPARE(m_view->editor()->text(), u"unsaved local text"_qs);
        QVERIFY(m_view->editor()->showsPlaceholder() == false);
        m_vault->entries.insert(u"session"_qs, ScriptedTransport::sessionFor(u"user-1"_qs).toJson());
        awaitTask(m_store->cloud()->restore());
        QVERIFY(m_view->showsCloudComposer());
        QCOMPARE(m_store->text(), u"unsaved local text"_qs);
        awaitTask(m_store->cloud()->logout());
        QVERIFY(!m_view->showsCloudComposer());
        QCOMPARE(m_view->editor()->text(), u"unsaved local text"_qs);
    }

    void accountLine_data() { datacases::addTable(u"composerview.json"_qs, u"accountLine"_qs); }

    void accountLine()
    {
        QFETCH(QString, email);
        QFETCH(QString, shown);

        makeStore(false);
        CloudSession session = ScriptedTransport::sessionFor(u"user-1"_qs, 2);
        session.user.email = email.isNull() ? std::nullopt : std::optional(email);
        m_api->script(u"refresh"_qs, {session, {}, {}});
        CloudStore *cloud = m_store->cloud();
        const CloudAccountView view(cloud, QUrl(u"https://vorno.example"_qs), &m_settings);
        QCOMPARE(view.primaryButton()->text(), Words(Words::cloudLogin).string());
        m_vault->entries.insert(u"session"_qs, ScriptedTransport::sessionFor(u"user-1"_qs).toJson());
        awaitTask(cloud->restore());
        QCOMPARE(view.accountLine(), shown);
        QCOMPARE(view.secondaryButton()->text(), Words(Words::cloudLogout).string());
        // What is drawn and read out, not only what is held.
        QLabel *line = nullptr;
        for (QLabel *label : view.findChildren<QLabel *>())
            if (label->text() == shown)
                line = label;
        QVERIFY(line);
        QCOMPARE(QAccessible::queryAccessibleInterface(line)->text(QAccessible::Name), shown);
    }

private:
    void makeStore(bool signedIn)
    {
        m_view.reset();
        ScriptedCapture capture(m_home->path(), signedIn);
        m_store = std::move(capture.store);
        m_api = capture.api;
        m_vault = capture.vault;
        m_view = std::make_unique<ComposerView>(m_store.get(), &m_settings, true);
    }

    void showActive()
    {
        m_view->show();
        m_view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
    }

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<CaptureStore> m_store;
    std::unique_ptr<ComposerView> m_view;
    AccessibilitySettings m_settings {AccessibilitySettings::Values {.reduceMotion = true}};
    ScriptedTransport *m_api = nullptr;
    ScriptedVault *m_vault = nullptr;
};

QTEST_MAIN(TestComposerView)
#include "TestComposerView.moc"
