#include "app/AppDelegate.h"

#include "app/BackgroundLoop.h"
#include "app/InputPanel.h"
#include "platform/DialogFilePicker.h"
#include "services/CloudClient.h"
#include "services/EncouragementAlerts.h"
#include "services/NativeFileClient.h"
#include "services/PersistentCredentials.h"
#include "stores/AccountNote.h"
#include "stores/CloudStore.h"
#include "stores/LoginKeeping.h"
#include "support/Preferences.h"
#include "support/Spawn.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWindow>

namespace vorno {

namespace {

// `credentials` is set to the vault when this builds it.
CaptureStoreOptions withServices(CaptureStoreOptions capture, const AppConfiguration &configuration,
                                 PersistentCredentials *&credentials)
{
    CloudClientOptions client;
    client.extraAuthorities = configuration.authorities;
    if (!capture.cloud) {
        auto vault = std::make_unique<PersistentCredentials>(configuration.origin);
        credentials = vault.get();
        capture.cloud = new CloudStore(std::make_unique<CloudClient>(configuration.origin, client), std::move(vault));
    }
    if (!capture.fileClient) {
        NativeFileClientOptions files;
        files.projectHostSuffix = configuration.projectHostSuffix;
        files.directHostSuffix = configuration.directHostSuffix;
        files.extraAuthorities = configuration.authorities;
        auto *api = new CloudClient(configuration.origin, client);
        capture.fileClient = new NativeFileClient(api, files);
        api->setParent(capture.fileClient); // the file client does not own its API client; here it is its only user
    }
    if (!capture.pickFiles)
        capture.pickFiles = [] { return std::make_unique<DialogFilePicker>(); };
    return capture;
}

// Calls `then` once, after `window` has drawn its first frame, or at once
// when it is not shown. A window the desktop never exposes waits a second.
class FirstFrame : public QObject
{
public:
    static void then(QWindow *window, QObject *context, std::function<void()> then)
    {
        if (!window || !window->isVisible() || window->isExposed())
            return then();
        auto *watch = new FirstFrame(context, std::move(then));
        window->installEventFilter(watch);
        QTimer::singleShot(std::chrono::seconds(1), watch, [watch] { watch->fire(); });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The window paints on its first exposure, after this filter: go on
        // from the event loop.
        if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed())
            QTimer::singleShot(0, this, [this] { fire(); });
        return false;
    }

private:
    FirstFrame(QObject *context, std::function<void()> then) : QObject(context), m_then(std::move(then)) { }

    void fire()
    {
        if (m_then)
            std::exchange(m_then, {})();
        deleteLater();
    }

    std::function<void()> m_then;
};

// Keeps the loop alive for as long as its task runs, whatever ends first.
QCoro::Task<> runLoop(std::shared_ptr<BackgroundLoop> loop, std::stop_token stop)
{
    co_await loop->run(std::move(stop));
}

} // namespace

AppDelegate::AppDelegate(AppDelegateOptions options, QObject *parent) : QObject(parent), m_options(std::move(options))
{
    if (!m_options.active)
        m_options.active = [] { return QGuiApplication::applicationState() == Qt::ApplicationActive; };
    if (!m_options.openUrl)
        m_options.openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    if (!m_options.ask)
        m_options.ask = [] { return QuitGuard::askWithAlert(); };
    if (!m_options.quit)
        m_options.quit = [] { QCoreApplication::quit(); };
    PersistentCredentials *credentials = nullptr;
    m_store = new CaptureStore(withServices(std::move(m_options.capture), m_options.configuration, credentials), this);
    if (credentials)
        m_store->setLoginKeeping(new LoginKeeping(credentials, m_store->preferences()));
    m_alerts = new EncouragementAlerts(m_options.notifications, m_store->preferences(), m_options.openUrl,
                                       m_options.configuration.origin, this);
}

AppDelegate::~AppDelegate()
{
    terminate();
}

void AppDelegate::launch()
{
    if (m_launched)
        return;
    m_launched = true;
    if (m_options.notch) {
        NotchFacilities facilities = *m_options.notch;
        facilities.view.notifications = m_alerts;
        facilities.view.preferences.origin = m_options.configuration.origin; // the account page's sign-in
        m_notch = std::make_unique<NotchController>(m_store, std::move(facilities));
    }
    const QPointer<AppDelegate> self(this);
    connect(m_store, &CaptureStore::openMainRequested, this, [this] { m_store->show(CaptureStore::Page::compose); });
    // Restoring the session may wait for the TPM: not before the notch is drawn.
    FirstFrame::then(m_notch ? m_notch->panel()->windowHandle() : nullptr, this, [self] {
        if (!self || self->m_terminated)
            return;
        self->startLoop();
        if (LoginKeeping *keeping = self->m_store->loginKeeping())
            spawn(keeping->check());
    });
    m_activeToken = connect(qApp, &QGuiApplication::applicationStateChanged, this, [self](Qt::ApplicationState state) {
        if (self && state == Qt::ApplicationActive)
            spawn(self->m_store->cloud()->refreshSession());
    });
}

// The loop's view of the delegate; answers "no" once the delegate is gone.
class AppDelegate::Hooks final : public BackgroundHooks
{
public:
    explicit Hooks(AppDelegate *delegate) : m_delegate(delegate) { }

    bool isActive() const override { return m_delegate && m_delegate->m_options.active(); }
    bool isNotchAwake() const override { return m_delegate && m_delegate->m_notch && !m_delegate->m_notch->isAsleep(); }
    bool mayPresent() const override
    {
        return m_delegate && m_delegate->m_notch && m_delegate->m_notch->mayPresentEncouragement();
    }
    void refreshNotch() override
    {
        if (m_delegate && m_delegate->m_notch)
            m_delegate->m_notch->refresh(false);
    }
    bool alertsChosen() const override { return m_delegate && m_delegate->m_store->preferences()->encouragementOS(); }
    QCoro::Task<bool> alertsAuthorized() override
    {
        const QPointer<EncouragementAlerts> alerts = m_delegate ? m_delegate->m_alerts : nullptr;
        if (!alerts)
            co_return false;
        co_return co_await alerts->allowed();
    }
    QCoro::Task<bool> sendAlert(EncouragementNote note) override
    {
        const QPointer<EncouragementAlerts> alerts = m_delegate ? m_delegate->m_alerts : nullptr;
        if (!alerts)
            co_return false;
        co_return co_await alerts->send(std::move(note));
    }

private:
    QPointer<AppDelegate> m_delegate;
};

void AppDelegate::startLoop()
{
    m_loop.emplace();
    auto loop = std::make_shared<BackgroundLoop>(m_store, std::make_unique<Hooks>(this), m_options.clock);
    spawn(runLoop(std::move(loop), m_loop->get_token()));
}

void AppDelegate::reopen(const QByteArray &token)
{
    if (m_notch)
        m_notch->setActivationToken(token);
    m_store->show(CaptureStore::Page::compose);
}

void AppDelegate::open(const QStringList &urls, const QByteArray &token)
{
    for (const QString &url : urls) {
        if (m_store->cloud()->browser()->receive(url) && m_notch) {
            // The panel is a tool window: it only comes forward while it is open.
            m_notch->setActivationToken(token);
            m_notch->bringForward();
        }
    }
}

bool AppDelegate::shouldTerminate()
{
    return QuitGuard::mayQuit(m_store, m_options.ask);
}

void AppDelegate::terminate()
{
    if (m_terminated)
        return;
    m_terminated = true;
    if (m_loop)
        m_loop->request_stop();
    disconnect(m_activeToken);
    if (m_notch)
        m_notch->stop();
}

void AppDelegate::requestQuit()
{
    if (!shouldTerminate())
        return;
    terminate();
    m_options.quit();
}

void AppDelegate::endNow()
{
    end();
    m_options.quit();
}

void AppDelegate::end()
{
    if (m_terminated)
        return;
    (void)m_store->cloud()->prepareToQuit();
    keepTypedText();
    terminate();
}

void AppDelegate::keepTypedText()
{
    if (CloudStore *cloud = m_store->cloud(); cloud->note()->isDirty())
        (void)cloud->note()->saveLocal();
    if (m_store->text() != m_store->savedText())
        (void)m_store->saveDraft();
}

void AppDelegate::quickRecord()
{
    if (m_store->notchEnabled())
        m_store->show(CaptureStore::Page::compose);
    else
        m_store->openMain();
}

void AppDelegate::perform(AppCommand command, const QByteArray &token)
{
    if (m_notch && !token.isEmpty())
        m_notch->setActivationToken(token);
    switch (command) {
    case AppCommand::quickRecord:
        quickRecord();
        break;
    case AppCommand::addFiles:
        m_store->chooseFiles();
        break;
    case AppCommand::settings:
        m_store->show(CaptureStore::Page::settings);
        break;
    }
}

void AppDelegate::openWeb()
{
    QUrl home = m_options.configuration.origin;
    home.setPath(QStringLiteral("/home"));
    (void)m_options.openUrl(home);
}

} // namespace vorno
