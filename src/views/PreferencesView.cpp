#include "views/PreferencesView.h"

#include "BuildConstants.h"
#include "core/EncouragementState.h"
#include "core/WebUrl.h"
#include "platform/GlobalShortcutsPortal.h"
#include "platform/NotificationCenter.h"
#include "stores/AccountEncouragement.h"
#include "stores/CaptureStore.h"
#include "stores/CloudStore.h"
#include "stores/LoginKeeping.h"
#include "support/CopyableCommand.h"
#include "support/Preferences.h"
#include "support/Spawn.h"
#include "support/style/Button.h"
#include "support/style/Label.h"
#include "support/style/SettingsSection.h"
#include "support/style/Toggle.h"
#include "views/CloudAccountView.h"
#include "views/LoginKeepingView.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace vorno {

namespace {

constexpr int textPixelSize = 12;

// A row with a label on the left and its value on the right.
QWidget *labelledRow(Words label, style::Label *value, QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *name = new style::Label(label.string(), 0.9, 13, row);
    name->setWordWrap(false);
    layout->addWidget(name, 0, Qt::AlignTop);
    value->setParent(row);
    value->setAlignment(Qt::AlignRight | Qt::AlignTop);
    layout->addWidget(value, 1);
    return row;
}

} // namespace

Words PreferencesView::encouragementStatus(const EncouragementState &state, const QDateTime &now)
{
    if (!(state.pro && state.preferences.enabled && state.preferences.mac))
        return Words::aiOff;
    if (state.preferences.paused(now))
        return Words::aiPaused;
    if (state.preferences.quiet(now))
        return Words::aiQuietNow;
    return Words::aiOn;
}

PreferencesView::PreferencesView(CaptureStore *store, NotificationCenter *notifications,
                                 AccessibilitySettings *settings, Options options, QWidget *parent)
    : QWidget(parent), m_store(store), m_center(notifications), m_options(std::move(options)),
      m_showNotch(new style::Toggle(false, settings, this)),
      m_notifications(new style::SettingsSection(Words::notifications, QStringLiteral("bell"), this)),
      m_state(new style::Label({}, 0.8, textPixelSize, m_notifications)),
      m_stateRefresh(new style::Button(style::Button::Kind::secondary, settings, m_notifications)),
      m_statusValue(new style::Label({}, 0.9, 13)), m_permissionValue(new style::Label({}, 0.9, 13)),
      m_systemOn(new style::Button(style::Button::Kind::secondary, settings, m_notifications)),
      m_systemOff(new style::Button(style::Button::Kind::quiet, settings, m_notifications)),
      m_test(new style::Button(style::Button::Kind::secondary, settings, m_notifications)),
      m_testText(new style::Label({}, 0.75, textPixelSize, m_notifications))
{
    if (!m_options.openUrl)
        m_options.openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    if (!m_options.now)
        m_options.now = [] { return QDateTime::currentDateTimeUtc(); };

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);

    auto *general = new style::SettingsSection(Words::general, QStringLiteral("slider.horizontal.3"), this);
    m_showNotch->setText(Words(Words::show).string());
    m_showNotch->setChecked(store->preferences()->showNotch());
    general->content()->addWidget(m_showNotch);
    general->content()->addWidget(new style::Label(Words(Words::privacy).string(), 0.55, textPixelSize, general));
    column->addWidget(general);

    auto *status = new style::SettingsSection(Words::status, QStringLiteral("person.crop.circle"), this);
    auto *account = new CloudAccountView(store->cloud(), m_options.origin, settings, status);
    status->content()->addWidget(account);
    if (LoginKeeping *keeping = store->loginKeeping()) {
        account->setPromiseVisible(false); // the keeping line says what is true here
        status->content()->addWidget(
            new LoginKeepingView(keeping, store->preferences(), store->cloud(), settings, status));
    }
    column->addWidget(status);

    QVBoxLayout *content = m_notifications->content();
    content->addWidget(m_state);
    m_stateRefresh->setWords(Words::cloudRefresh);
    content->addWidget(m_stateRefresh, 0, Qt::AlignLeft);
    m_statusRow = labelledRow(Words::notifications, m_statusValue, m_notifications);
    content->addWidget(m_statusRow);
    content->addWidget(new style::Label(Words(Words::aiQuiet).string(), 0.55, textPixelSize, m_notifications));
    auto *web = new style::Button(style::Button::Kind::quiet, settings, m_notifications);
    web->setWords(Words::aiSettings, QStringLiteral("arrow.up.right"));
    content->addWidget(web, 0, Qt::AlignLeft);
    content->addWidget(labelledRow(Words::aiPermission, m_permissionValue, m_notifications));
    m_systemOn->setWords(Words::aiSystemOn);
    m_systemOff->setWords(Words::aiSystemOff);
    m_test->setWords(Words::aiTest, QStringLiteral("bell"));
    content->addWidget(m_systemOn, 0, Qt::AlignLeft);
    auto *alerts = new QHBoxLayout;
    alerts->addWidget(m_test);
    alerts->addWidget(m_systemOff);
    alerts->addStretch();
    content->addLayout(alerts);
    content->addWidget(m_testText);
    column->addWidget(m_notifications);
    if (m_options.shortcuts)
        column->addWidget(keyboardSection(settings));
    column->addStretch();

    connect(m_showNotch, &QAbstractButton::toggled, this, [this](bool on) {
        if (m_store)
            m_store->preferences()->setShowNotch(on);
    });
    connect(m_stateRefresh, &QAbstractButton::clicked, this, [this] {
        if (m_store)
            spawn(m_store->cloud()->encouragement()->refreshAvailability());
    });
    connect(web, &QAbstractButton::clicked, this, [this] {
        QUrl page = WebUrl::appending(m_options.origin, QStringLiteral("account"));
        page.setFragment(QStringLiteral("encouragement"));
        m_options.openUrl(page);
    });
    connect(m_systemOn, &QAbstractButton::clicked, this, &PreferencesView::requestPermission);
    connect(m_systemOff, &QAbstractButton::clicked, this, [this] {
        if (m_store)
            m_store->preferences()->setEncouragementOS(false);
    });
    connect(m_test, &QAbstractButton::clicked, this, &PreferencesView::sendTest);

    CloudStore *cloud = store->cloud();
    connect(cloud, &CloudStore::sessionChanged, this, &PreferencesView::refreshControls);
    for (auto signal : {&AccountEncouragement::readingChanged, &AccountEncouragement::readFailedChanged,
                        &AccountEncouragement::settingsChanged, &AccountEncouragement::availableChanged})
        connect(cloud->encouragement(), signal, this, &PreferencesView::refreshControls);
    Preferences *preferences = store->preferences();
    connect(preferences, &Preferences::encouragementOSChanged, this, &PreferencesView::refreshControls);
    connect(preferences, &Preferences::showNotchChanged, this,
            [this, preferences] { m_showNotch->setChecked(preferences->showNotch()); });
    refreshControls();
}

QWidget *PreferencesView::keyboardSection(AccessibilitySettings *settings)
{
    auto *section = new style::SettingsSection(Words::keyboard, QStringLiteral("keyboard"), this);
    m_shortcutValue = new style::Label({}, 0.9, 13);
    m_shortcutRow = labelledRow(Words::shortcutBound, m_shortcutValue, section);
    section->content()->addWidget(m_shortcutRow);
    m_shortcutHint = new style::Label({}, 0.55, textPixelSize, section);
    section->content()->addWidget(m_shortcutHint);
    m_shortcutCommand = new CopyableCommand(Words(Words::shortcutManual).string(), settings, section);
    m_shortcutCommand->setCommand(QStringLiteral("vorno --quick-record"));
    section->content()->addWidget(m_shortcutCommand);
    connect(m_options.shortcuts, &GlobalShortcutsPortal::stateChanged, this, &PreferencesView::refreshKeyboard);
    refreshKeyboard();
    return section;
}

void PreferencesView::refreshKeyboard()
{
    if (!m_options.shortcuts)
        return;
    // Bound: the desktop keeps the trigger. Otherwise the user binds the
    // command in the desktop's own settings; we never grab keys ourselves.
    const bool bound = m_options.shortcuts->state() == GlobalShortcutsPortal::State::bound;
    const QString trigger = m_options.shortcuts->trigger();
    m_shortcutRow->setVisible(bound && !trigger.isEmpty());
    m_shortcutValue->setText(trigger);
    m_shortcutHint->setText(Words(bound ? Words::shortcutChange : Words::shortcutManual).string());
    m_shortcutCommand->setVisible(!bound);
}

void PreferencesView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refresh();
}

void PreferencesView::refresh()
{
    if (m_store && m_store->loginKeeping())
        spawn(m_store->loginKeeping()->check()); // a fix made meanwhile shows at once
    spawn(refreshSteps());
}

QCoro::Task<> PreferencesView::refreshSteps()
{
    const QPointer guard(this);
    if (m_store)
        co_await m_store->cloud()->encouragement()->refreshAvailability();
    if (guard)
        co_await permissionSteps();
}

void PreferencesView::refreshPermission()
{
    spawn(permissionSteps());
}

QCoro::Task<> PreferencesView::permissionSteps()
{
    if (!m_center || !m_center->hasSettings())
        co_return; // nothing to read: the value stays
    const QPointer guard(this);
    const NotificationCenter::Authorization authorization = co_await m_center->authorization();
    if (!guard)
        co_return;
    m_permission = authorization == NotificationCenter::Authorization::authorized ? Words::aiAllowed
        : authorization == NotificationCenter::Authorization::denied              ? Words::aiBlocked
                                                                                  : Words::aiUnknown;
    refreshControls();
}

void PreferencesView::requestPermission()
{
    if (!m_requestingPermission)
        spawn(requestSteps());
}

QCoro::Task<> PreferencesView::requestSteps()
{
    m_requestingPermission = true;
    refreshControls();
    const QPointer guard(this);
    bool granted = false;
    try {
        if (m_center)
            granted = co_await m_center->requestAuthorization();
    } catch (const std::exception &) {
        granted = false; // an error counts as not granted
    }
    if (!guard || !m_store)
        co_return;
    m_store->preferences()->setEncouragementOS(granted);
    co_await permissionSteps();
    if (!guard)
        co_return;
    m_requestingPermission = false;
    refreshControls();
}

void PreferencesView::sendTest()
{
    if (!m_testingAlert)
        spawn(testSteps());
}

QCoro::Task<> PreferencesView::testSteps()
{
    m_testingAlert = true;
    refreshControls();
    const QPointer guard(this);
    bool sent = false;
    try {
        if (m_center)
            sent = co_await m_center->sendTest();
    } catch (const std::exception &) {
        sent = false;
    }
    if (!guard)
        co_return;
    m_testNotice = sent ? Words::aiTestSent : Words::aiTestFailed;
    m_testingAlert = false;
    refreshControls();
}

QString PreferencesView::shortcutCommand() const
{
    return m_shortcutCommand && m_shortcutCommand->isVisibleTo(this) ? m_shortcutCommand->command() : QString();
}

QString PreferencesView::shortcutTrigger() const
{
    return m_shortcutRow && m_shortcutRow->isVisibleTo(this) ? m_shortcutValue->text() : QString();
}

QString PreferencesView::encouragementLine() const
{
    if (!m_store)
        return {};
    const CloudStore &cloud = *m_store->cloud();
    if (cloud.encouragement()->isReading())
        return Words(Words::aiLoading).string();
    if (cloud.encouragement()->readFailed())
        return Words(Words::aiReadFailed).string();
    if (!cloud.encouragement()->settings())
        return {};
    if (!cloud.encouragement()->isAvailable())
        return Words(Words::aiUnavailable).string();
    return encouragementStatus(*cloud.encouragement()->settings(), m_options.now()).string();
}

void PreferencesView::refreshControls()
{
    if (!m_store)
        return;
    const CloudStore &cloud = *m_store->cloud();
    m_notifications->setVisible(cloud.isSignedIn());

    const bool reading = cloud.encouragement()->isReading();
    const bool failed = !reading && cloud.encouragement()->readFailed();
    const bool unread = !reading && !failed && !cloud.encouragement()->settings();
    const bool unavailable = !reading && !failed && !unread && !cloud.encouragement()->isAvailable();
    const bool status = !reading && !failed && !unread && !unavailable;
    m_state->setVisible(reading || failed || unavailable);
    m_state->setText(status || unread ? QString() : encouragementLine());
    m_stateRefresh->setVisible(failed || unread);
    m_statusRow->setVisible(status);
    m_statusValue->setText(status ? encouragementLine() : QString());

    m_permissionValue->setText(m_permission.string());
    const bool systemAlerts = m_store->preferences()->encouragementOS();
    m_systemOn->setVisible(!systemAlerts);
    m_systemOn->setEnabled(!m_requestingPermission);
    m_systemOff->setVisible(systemAlerts);
    m_test->setVisible(systemAlerts);
    m_test->setEnabled(!m_testingAlert);
    m_testText->setVisible(systemAlerts && m_testNotice.has_value());
    m_testText->setText(m_testNotice ? m_testNotice->string() : QString());
}

} // namespace vorno
