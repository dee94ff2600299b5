// Renders every page and style piece in the states a user meets into PNG
// files, so they can be looked at without a desktop session.
#include "support/AccessibilitySettings.h"
#include "AwaitTask.h"
#include "support/style/Button.h"
#include "views/CaptureCelebration.h"
#include "support/style/Disclosure.h"
#include "support/style/Editor.h"
#include "support/style/Feedback.h"
#include "support/style/SettingsSection.h"
#include "stores/CaptureStore.h"
#include "support/style/Label.h"
#include "support/style/Toggle.h"
#include "views/CloudAccountView.h"
#include "stores/AccountEncouragement.h"
#include "stores/AccountNote.h"
#include "stores/CloudStore.h"
#include "services/CloudClient.h"
#include "views/ComposerView.h"
#include "services/EnclaveSessionCipher.h"
#include "stores/FileCollectionStore.h"
#include "platform/GlobalShortcutsPortal.h"
#include "stores/LoginKeeping.h"
#include "services/PersistentCredentials.h"
#include "platform/TpmKeyStore.h"
#include "views/FileReviewView.h"
#include "services/NativeFileClient.h"
#include "views/PreferencesView.h"
#include "ScriptedNotificationCenter.h"
#include "StandIn.h"
#include "ScriptedTransport.h"
#include "support/Spawn.h"
#include "core/CloudError.h"
#include "ScriptedVault.h"
#include "TemporaryHome.h"
#include "support/Translations.h"
#include "app/AppDelegate.h"
#include "app/MenuContent.h"
#include "support/style/Metrics.h"
#include "views/NotchPresentation.h"
#include "views/NotchView.h"
#include "platform/ScreenSpace.h"
#include "support/style/Surface.h"

#include <QApplication>
#include <QFileInfo>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QDragEnterEvent>
#include <QJsonDocument>
#include <QMenu>
#include <QMimeData>
#include <QUuid>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <cstdio>
#include <functional>

using namespace vorno;

namespace {

constexpr int pageWidth = 460;

// The panel the pages sit in: black, rounded, with its padding.
class Panel : public QWidget
{
public:
    explicit Panel(AccessibilitySettings *settings) : m_settings(settings)
    {
        setPalette(style::Metrics::notchPalette(palette()));
        setAttribute(Qt::WA_TranslucentBackground);
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(22, 22, 22, 22);
        layout->setSpacing(14);
        setFixedWidth(pageWidth);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), 28, 28);
        painter.fillPath(shape, Qt::black);
    }

private:
    AccessibilitySettings *m_settings;
};

struct Scene
{
    QString name;
    std::function<void(Panel *, AccessibilitySettings *)> build;
};

// A burst drawn at fixed moments of its motion, left to right.
class BurstStrip : public QWidget
{
public:
    explicit BurstStrip(QList<double> moments, QWidget *parent) : QWidget(parent), m_moments(std::move(moments))
    {
        setFixedHeight(CaptureCelebration::side);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QSizeF canvas(CaptureCelebration::side, CaptureCelebration::side);
        for (const double p : m_moments) {
            CaptureCelebration::paint(painter, p, canvas);
            painter.translate(CaptureCelebration::side + 24, 0);
        }
    }

private:
    QList<double> m_moments;
};

using Script = std::function<void(ScriptedTransport &)>;

std::unique_ptr<CloudStore> cloudStore(bool signedIn, const QString &email = QString(), const Script &script = {})
{
    auto api = std::make_unique<ScriptedTransport>();
    if (script)
        script(*api);
    auto vault = std::make_unique<ScriptedVault>();
    if (signedIn) {
        CloudSession session = ScriptedTransport::sessionFor(u"user-1"_qs);
        session.user.email = email.isEmpty() ? std::nullopt : std::optional(email);
        vault->entries.insert(u"session"_qs, session.toJson());
    }
    auto store = std::make_unique<CloudStore>(std::move(api), std::move(vault));
    if (signedIn)
        awaitTask(store->restore());
    return store;
}

CaptureStoreOptions captureOptions(CloudStore *cloud = nullptr)
{
    CaptureStoreOptions options;
    options.cloud = cloud ? cloud : cloudStore(false).release();
    options.notchEnabled = [] { return true; };
    return options;
}

// A signed-in capture store against the stand-in: a fresh account of its own,
// its files client and an outbox under the temporary home.
CaptureStore *standInStore(StandIn &standIn, bool pro, QWidget *parent)
{
    const QString user = QUuid::createUuid().toString(QUuid::WithoutBraces);
    standIn.control(u"accounts"_qs, {{u"id"_qs, user}, {u"pro"_qs, pro}, {u"firstFree"_qs, !pro},
                                      {u"email"_qs, u"mia@example.com"_qs}});
    const QByteArray session = QJsonDocument(standIn.control(u"sessions"_qs, {{u"userId"_qs, user}})).toJson();
    const CloudClientOptions apiOptions = standIn.apiOptions();
    auto vault = std::make_unique<ScriptedVault>();
    vault->entries.insert(u"session"_qs, session);
    auto *cloud = new CloudStore(std::make_unique<CloudClient>(standIn.origin(), apiOptions), std::move(vault));
    awaitTask(cloud->restore(), std::chrono::seconds(30));
    auto *api = new CloudClient(standIn.origin(), apiOptions, parent);
    NativeFileClientOptions fileOptions = standIn.fileOptions();
    CaptureStoreOptions options = captureOptions(cloud);
    options.fileClient = new NativeFileClient(api, fileOptions);
    options.outboxRoot = QDir::tempPath() + u"/vorno-screens-"_qs + user;
    return new CaptureStore(options, parent);
}

QList<QUrl> sampleFiles(const QStringList &names)
{
    QList<QUrl> urls;
    const QString directory = QDir::tempPath() + u"/vorno-screens-files"_qs;
    QDir().mkpath(directory);
    for (const QString &name : names) {
        QFile file(directory + u'/' + name);
        if (file.open(QIODevice::WriteOnly))
            file.write("Quarterly review notes\n" + name.toUtf8().repeated(40));
        urls.append(QUrl::fromLocalFile(file.fileName()));
    }
    return urls;
}

void grab(QWidget *widget, const QString &path)
{
    widget->show();
    // Let every motion that the scene started come to rest.
    QElapsedTimer settling;
    settling.start();
    while (settling.elapsed() < 900)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    const int height = widget->layout()->hasHeightForWidth() ? widget->layout()->totalHeightForWidth(pageWidth)
                                                              : widget->sizeHint().height();
    widget->resize(pageWidth, height);
    QApplication::processEvents();
    const QPixmap picture = widget->grab();
    if (!picture.save(path))
        std::fprintf(stderr, "screenshots: could not write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
    widget->hide();
}

// The notch on the top edge of a desktop: the panel's canvas composed over a
// wallpaper, as a compositor would show it.
void grabNotch(NotchView *view, const NotchLayout &layout, const QString &path)
{
    const QRectF canvas = ScreenSpace::within(layout.canvas, layout.canvas);
    view->resize(canvas.size().toSize());
    view->show();
    QElapsedTimer settling;
    settling.start();
    while (settling.elapsed() < 1200)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    const QPixmap notch = view->grab();
    const double ratio = notch.devicePixelRatio();
    constexpr int margin = 120;
    const QSizeF size(canvas.width() + 2 * margin, canvas.height() + 40);
    QPixmap desktop((size * ratio).toSize());
    desktop.setDevicePixelRatio(ratio);
    QPainter painter(&desktop);
    QLinearGradient wallpaper(0, 0, size.width(), size.height());
    wallpaper.setColorAt(0, QColor(0x2b, 0x3a, 0x67));
    wallpaper.setColorAt(0.55, QColor(0x5b, 0x4b, 0x8a));
    wallpaper.setColorAt(1, QColor(0xc0, 0x7a, 0x8f));
    painter.fillRect(QRectF(QPointF(), size), wallpaper);
    // A window under the notch, so the transparent canvas shows what it lets through.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(250, 250, 252, 235));
    painter.drawRoundedRect(QRectF(40, 90, size.width() - 80, size.height()), 10, 10);
    painter.drawPixmap(QPointF(margin, 0), notch);
    painter.end();
    if (!desktop.save(path))
        std::fprintf(stderr, "screenshots: could not write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
    view->hide();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    installTranslations(application);
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath() + u"/screenshots"_qs;
    QDir().mkpath(output);
    TemporaryHome home; // drafts and settings of the scenes stay out of the user's own

    AccessibilitySettings settings;
    StandIn standIn;
    if (!standIn.isRunning())
        std::fprintf(stderr, "screenshots: the stand-in did not start (%s)\n", qPrintable(standIn.error()));
    ScriptedNotificationCenter notifications;
    notifications.current = NotificationCenter::Authorization::authorized;
    // Preferences of a signed-in account whose encouragement answers as scripted.
    const auto preferences = [&](Panel *panel, AccessibilitySettings *a11y, const Script &script) {
        // The restore, the page's own read and its read when shown each take one answer.
        const Script answers = [&script](ScriptedTransport &api) {
            for (int read = 0; read < 4; ++read)
                script(api);
        };
        auto *store = new CaptureStore(captureOptions(cloudStore(true, u"mia@example.com"_qs, answers).release()), panel);
        auto *view = new PreferencesView(store, &notifications, a11y, {standIn.origin(), {}, {}}, panel);
        panel->layout()->addWidget(view);
        view->refresh();
    };
    // Settings of a signed-in account on a computer whose TPM answers `health`.
    std::vector<std::unique_ptr<PersistentCredentials>> vaults;
    const auto keeping = [&](Panel *panel, AccessibilitySettings *a11y, TpmHealth health, bool keyring) {
        auto *store = standInStore(standIn, true, panel);
        const QUrl origin = standIn.origin();
        vaults.push_back(std::make_unique<PersistentCredentials>(
            origin, home.path() + u"/sessions"_qs,
            std::make_unique<SessionCredentials>(origin, home.path() + u"/drafts"_qs),
            std::make_unique<EnclaveSessionCipher>(std::make_shared<TpmKeyStore>("swtpm:host=127.0.0.1,port=1"))));
        auto *keeper = new LoginKeeping(vaults.back().get(), store->preferences(), [health] { return health; },
                                        [keyring] { return keyring; });
        store->setLoginKeeping(keeper);
        awaitTask(keeper->check());
        static GlobalShortcutsPortal shortcuts(QDBusConnection(u"no bus"_qs)); // a desktop without the portal
        panel->layout()->addWidget(new PreferencesView(store, &notifications, a11y, {origin, {}, {}, &shortcuts}, panel));
    };
    const QList<Scene> scenes {
        {u"style-pieces"_qs, [](Panel *panel, AccessibilitySettings *a11y) {
             auto *layout = panel->layout();
             auto *row = new QHBoxLayout;
             for (auto kind : {style::Button::Kind::primary, style::Button::Kind::secondary, style::Button::Kind::quiet}) {
                 auto *button = new style::Button(kind, a11y, panel);
                 button->setWords(Words::cloudNew, QStringLiteral("plus"));
                 row->addWidget(button);
             }
             row->addStretch();
             static_cast<QVBoxLayout *>(layout)->addLayout(row);
             auto *second = new QHBoxLayout;
             auto *disabled = new style::Button(style::Button::Kind::primary, a11y, panel);
             disabled->setWords(Words::save, QStringLiteral("checkmark"));
             disabled->setEnabled(false);
             second->addWidget(disabled);
             auto *focused = new style::Button(style::Button::Kind::secondary, a11y, panel);
             focused->setWords(Words::files, QStringLiteral("paperclip"));
             second->addWidget(focused);
             second->addStretch();
             static_cast<QVBoxLayout *>(layout)->addLayout(second);
             auto *toggle = new style::Toggle(false, a11y, panel);
             toggle->setText(Words(Words::show).string());
             toggle->setChecked(true);
             layout->addWidget(toggle);
             auto *off = new style::Toggle(false, a11y, panel);
             off->setText(Words(Words::aiSystemOn).string());
             layout->addWidget(off);
             auto *check = new style::Toggle(true, a11y, panel);
             check->setText(u"I have the right to upload these files and they contain no one else's private data."_qs);
             check->setChecked(true);
             layout->addWidget(check);
             auto *unchecked = new style::Toggle(true, a11y, panel);
             unchecked->setText(u"I understand that processing may take a few minutes."_qs);
             layout->addWidget(unchecked);
             auto *group = new style::Disclosure(Words(Words::fileChecks).string(), a11y, panel);
             group->setContent(new style::Label(u"Statements to agree to before the upload."_qs, 0.7, 12));
             group->setExpanded(true);
             layout->addWidget(group);
             auto *feedback = new style::Feedback(a11y, panel);
             feedback->setNotice(Words::cloudSaved);
             layout->addWidget(feedback);
             auto *info = new style::Feedback(a11y, panel);
             info->setNotice(Words::cloudRetry);
             layout->addWidget(info);
             auto *section = new style::SettingsSection(Words::general, QStringLiteral("slider.horizontal.3"), panel);
             section->content()->addWidget(new style::Label(Words(Words::privacy).string(), 0.6, 12, section));
             layout->addWidget(section);
         }},
        {u"compose-local-empty"_qs, [](Panel *panel, AccessibilitySettings *a11y) {
             auto *store = new CaptureStore(captureOptions(), panel);
             auto *view = new ComposerView(store, a11y, true, panel);
             view->setMinimumHeight(260);
             panel->layout()->addWidget(view);
         }},
        {u"compose-local-saved"_qs, [](Panel *panel, AccessibilitySettings *a11y) {
             auto *store = new CaptureStore(captureOptions(), panel);
             store->setText(u"Reviewed the onboarding flow with Mia and wrote up three fixes for the sign-up form."_qs);
             store->saveDraft();
             auto *view = new ComposerView(store, a11y, true, panel);
             view->setMinimumHeight(260);
             panel->layout()->addWidget(view);
         }},
        {u"compose-cloud"_qs, [](Panel *panel, AccessibilitySettings *a11y) {
             auto *store = new CaptureStore(captureOptions(cloudStore(true).release()), panel);
             store->cloud()->note()->setText(u"Shipped the export fix and answered two support tickets."_qs);
             auto *view = new ComposerView(store, a11y, true, panel);
             view->setMinimumHeight(260);
             panel->layout()->addWidget(view);
         }},
        {u"compose-cloud-too-long"_qs, [](Panel *panel, AccessibilitySettings *a11y) {
             auto *store = new CaptureStore(captureOptions(cloudStore(true).release()), panel);
             store->cloud()->note()->setText(QString(4001, u'a'));
             auto *view = new ComposerView(store, a11y, true, panel);
             view->setMinimumHeight(260);
             panel->layout()->addWidget(view);
         }},
        {u"compose-cloud-sending"_qs, [](Panel *panel, AccessibilitySettings *a11y) {
             auto *cloud = cloudStore(true, {}, [](ScriptedTransport &api) {
                 api.script(u"save"_qs, {{}, {}, ScriptedTransport::gate()}); // the answer never comes
             }).release();
             auto *store = new CaptureStore(captureOptions(cloud), panel);
             cloud->note()->setText(u"Paired with Jonas on the billing migration; the dry run is clean."_qs);
             spawn(cloud->note()->send());
             auto *view = new ComposerView(store, a11y, true, panel);
             view->setMinimumHeight(260);
             panel->layout()->addWidget(view);
         }},
        {u"compose-cloud-saved"_qs, [](Panel *panel, AccessibilitySettings *a11y) {
             auto *cloud = cloudStore(true).release();
             auto *store = new CaptureStore(captureOptions(cloud), panel);
             cloud->note()->setText(u"Paired with Jonas on the billing migration; the dry run is clean."_qs);
             awaitTask(cloud->note()->send());
             auto *view = new ComposerView(store, a11y, true, panel);
             view->setMinimumHeight(260);
             panel->layout()->addWidget(view);
         }},
        {u"compose-cloud-failed"_qs, [](Panel *panel, AccessibilitySettings *a11y) {
             auto *cloud = cloudStore(true, {}, [](ScriptedTransport &api) {
                 api.script(u"save"_qs, ScriptedTransport::failing(CloudError(CloudFailure::unavailable)));
             }).release();
             auto *store = new CaptureStore(captureOptions(cloud), panel);
             cloud->note()->setText(u"Paired with Jonas on the billing migration; the dry run is clean."_qs);
             awaitTask(cloud->note()->send());
             auto *view = new ComposerView(store, a11y, true, panel);
             view->setMinimumHeight(260);
             panel->layout()->addWidget(view);
         }},
        {u"celebration"_qs, [](Panel *panel, AccessibilitySettings *) {
             panel->layout()->addWidget(new BurstStrip({0.0, 0.25, 0.5, 0.75}, panel));
         }},
        {u"account-signed-out"_qs, [](Panel *panel, AccessibilitySettings *a11y) {
             auto *cloud = cloudStore(false).release();
             cloud->setParent(panel);
             panel->layout()->addWidget(new CloudAccountView(cloud, QUrl(u"https://vorno.example"_qs), a11y, panel));
         }},
        {u"account-signed-in"_qs, [](Panel *panel, AccessibilitySettings *a11y) {
             auto *cloud = cloudStore(true, u"mia@example.com"_qs).release();
             cloud->setParent(panel);
             panel->layout()->addWidget(new CloudAccountView(cloud, QUrl(u"https://vorno.example"_qs), a11y, panel));
         }},
        {u"preferences-signed-in"_qs, [&](Panel *panel, AccessibilitySettings *a11y) {
             auto *store = standInStore(standIn, true, panel);
             panel->layout()->addWidget(new PreferencesView(store, &notifications, a11y, {standIn.origin(), {}, {}}, panel));
         }},
        {u"preferences-loading"_qs, [&](Panel *panel, AccessibilitySettings *a11y) {
             preferences(panel, a11y, [](ScriptedTransport &api) {
                 api.script(u"encouragement"_qs, {{}, {}, ScriptedTransport::gate()});
             });
         }},
        {u"preferences-failed"_qs, [&](Panel *panel, AccessibilitySettings *a11y) {
             preferences(panel, a11y, [](ScriptedTransport &api) {
                 api.script(u"encouragement"_qs, ScriptedTransport::failing(CloudError(CloudFailure::unavailable)));
             });
         }},
        {u"preferences-unavailable"_qs, [&](Panel *panel, AccessibilitySettings *a11y) {
             preferences(panel, a11y, [](ScriptedTransport &api) {
                 EncouragementState unavailable;
                 unavailable.ownerId = u"user-1"_qs;
                 unavailable.pro = true;
                 unavailable.preferences.enabled = true;
                 api.script(u"encouragement"_qs, {unavailable, {}, {}});
             });
         }},
        {u"preferences-tpm-permission"_qs, [&](Panel *panel, AccessibilitySettings *a11y) {
             keeping(panel, a11y, {TpmHealth::State::permission, u"sudo usermod -aG tss mia"_qs, false}, true);
         }},
        {u"preferences-no-tpm-no-keyring"_qs, [&](Panel *panel, AccessibilitySettings *a11y) {
             keeping(panel, a11y, {TpmHealth::State::noDevice, {}, false}, false);
         }},
        {u"preferences-signed-out"_qs, [&](Panel *panel, AccessibilitySettings *a11y) {
             auto *store = new CaptureStore(captureOptions(cloudStore(false).release()), panel);
             panel->layout()->addWidget(new PreferencesView(store, &notifications, a11y, {standIn.origin(), {}, {}}, panel));
         }},
        {u"files-staged"_qs, [&](Panel *panel, AccessibilitySettings *a11y) {
             auto *store = standInStore(standIn, true, panel);
             store->stage(sampleFiles({u"retro-notes.md"_qs, u"launch-plan.txt"_qs, u"interview.txt"_qs}));
             auto *view = new FileReviewView(store, a11y, {}, panel);
             panel->layout()->addWidget(view);
             awaitTask(store->collection()->load(u"en"_qs), std::chrono::seconds(30));
             store->collection()->setCheck(0, true);
             view->findChild<style::Disclosure *>()->setExpanded(true);
         }},
        {u"files-collected"_qs, [&](Panel *panel, AccessibilitySettings *a11y) {
             auto *store = standInStore(standIn, true, panel);
             store->stage(sampleFiles({u"retro-notes.md"_qs, u"launch-plan.txt"_qs}));
             awaitTask(store->collection()->load(u"en"_qs), std::chrono::seconds(30));
             for (qsizetype i = 0; i < store->collection()->checks().size(); ++i)
                 store->collection()->setCheck(i, true);
             awaitTask(store->collection()->send(store->files()), std::chrono::seconds(60));
             awaitTask(store->collection()->poll(), std::chrono::seconds(30));
             panel->layout()->addWidget(new FileReviewView(store, a11y, {}, panel));
         }},
        {u"files-signed-out"_qs, [](Panel *panel, AccessibilitySettings *a11y) {
             auto *store = new CaptureStore(captureOptions(cloudStore(false).release()), panel);
             store->stage(sampleFiles({u"retro-notes.md"_qs}));
             panel->layout()->addWidget(new FileReviewView(store, a11y, {}, panel));
         }},
        {u"files-refused"_qs, [](Panel *panel, AccessibilitySettings *a11y) {
             auto *store = new CaptureStore(captureOptions(cloudStore(false).release()), panel);
             const QList<QUrl> files = sampleFiles({u"retro-notes.md"_qs});
             store->stage(files);
             // A folder dropped next: refused whole, the staged file stays.
             store->stage({files.first(), QUrl::fromLocalFile(QFileInfo(files.first().toLocalFile()).path())});
             panel->layout()->addWidget(new FileReviewView(store, a11y, {}, panel));
         }},
    };

    for (const Scene &scene : scenes) {
        const QList<std::pair<QString, AccessibilitySettings::Values>> variants {
            {QString(), {}},
            {u"-contrast"_qs, {.increaseContrast = true}},
            {u"-solid"_qs, {.reduceTransparency = true}},
        };
        for (const auto &[suffix, values] : variants) {
            settings.setDesktopValues(values);
            Panel panel(&settings);
            scene.build(&panel, &settings);
            grab(&panel, output + u'/' + scene.name + suffix + u".png"_qs);
        }
    }

    // The notch itself, in each of its states, on a 1440 × 900 screen.
    settings.setDesktopValues({});
    const NotchLayout layout = NotchLayout::resolve({0, 0, 1440, 900}, {0, 0, 1440, 868}, std::nullopt);
    struct NotchScene
    {
        QString name;
        bool signedIn;
        std::function<void(CaptureStore *, NotchPresentation *, NotchView *)> arrange;
    };
    const QList<NotchScene> notchScenes {
        {u"notch-hidden"_qs, false, [](CaptureStore *, NotchPresentation *, NotchView *) {}},
        {u"notch-compact"_qs, false, [](CaptureStore *, NotchPresentation *presentation, NotchView *) {
             presentation->setRevealed(true);
         }},
        {u"notch-compose"_qs, false, [](CaptureStore *store, NotchPresentation *, NotchView *) {
             store->show(CaptureStore::Page::compose);
             store->setText(u"Reviewed the onboarding flow with Sam; two fixes queued."_qs);
         }},
        {u"notch-compose-signed-in"_qs, true, [](CaptureStore *store, NotchPresentation *, NotchView *) {
             store->show(CaptureStore::Page::compose);
             store->cloud()->note()->setText(u"Shipped the export fix and wrote the migration notes."_qs);
         }},
        {u"notch-compose-files"_qs, true, [](CaptureStore *store, NotchPresentation *, NotchView *) {
             store->stage(sampleFiles({u"retro-notes.md"_qs, u"launch-plan.txt"_qs}));
             store->show(CaptureStore::Page::compose);
         }},
        {u"notch-files"_qs, true, [](CaptureStore *store, NotchPresentation *, NotchView *) {
             store->stage(sampleFiles({u"retro-notes.md"_qs}));
             store->show(CaptureStore::Page::files);
         }},
        {u"notch-settings"_qs, true, [](CaptureStore *store, NotchPresentation *, NotchView *) {
             store->show(CaptureStore::Page::settings);
         }},
        {u"notch-note"_qs, true, [](CaptureStore *store, NotchPresentation *, NotchView *) {
             store->cloud()->encouragement()->setNote(EncouragementNote {
                 u"n-1"_qs, u"Three notes this week, and the release went out on time. Good steady work."_qs,
                 u"2099-01-01T00:00:00Z"_qs});
         }},
        {u"notch-drop-target"_qs, false, [](CaptureStore *, NotchPresentation *presentation, NotchView *view) {
             presentation->setRevealed(true);
             QMimeData data;
             data.setUrls(sampleFiles({u"retro-notes.md"_qs}));
             QDragEnterEvent enter(QPoint(view->width() / 2, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
             QApplication::sendEvent(view, &enter);
         }},
    };
    GlobalShortcutsPortal shortcuts(QDBusConnection(u"no bus"_qs));
    for (const NotchScene &scene : notchScenes) {
        QWidget holder;
        auto *store = new CaptureStore(captureOptions(cloudStore(scene.signedIn).release()), &holder);
        auto *presentation = new NotchPresentation(layout, &holder);
        NotchView::Options options;
        options.notifications = &notifications;
        options.preferences.origin = QUrl(u"https://vorno.example"_qs);
        options.preferences.shortcuts = &shortcuts; // a desktop without the portal
        auto *view = new NotchView(store, presentation, &settings, options);
        view->setAttribute(Qt::WA_DontShowOnScreen);
        scene.arrange(store, presentation, view);
        grabNotch(view, layout, output + u'/' + scene.name + u".png"_qs);
        delete view;
    }

    // The tray item's menu, as the desktop's panel opens it.
    {
        AppDelegateOptions options;
        options.capture = captureOptions(cloudStore(false).release());
        AppDelegate delegate(std::move(options));
        MenuContent menu(&delegate);
        menu.menu()->popup(QPoint(1200, 30));
        QElapsedTimer settling;
        settling.start();
        while (settling.elapsed() < 500)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        const QString path = output + u"/tray-menu.png"_qs;
        if (!menu.menu()->grab().save(path))
            std::fprintf(stderr, "screenshots: could not write %s\n", qPrintable(path));
        else
            std::printf("%s\n", qPrintable(path));
        menu.menu()->hide();
    }
    return 0;
}
