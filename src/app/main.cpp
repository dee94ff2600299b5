// vorno: the tray companion. One instance per session; a later start hands
// its URLs to the first and ends.

#include "BuildConstants.h"
#include "app/AppDelegate.h"
#include "app/VornoApplication.h"
#include "support/BrandSymbol.h"
#include "support/Translations.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QSocketNotifier>

#include <xcb/xcb.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <unistd.h>
#include <vector>

using namespace vorno;

namespace {

int fail(const QString &message, int code = 1)
{
    std::fprintf(stderr, "vorno: %s\n", qPrintable(message));
    return code;
}

// The panel lives on X11 (XWayland on a Wayland desktop), whatever platform
// QT_QPA_PLATFORM asks Qt for. Without a display Qt would abort with a long
// message; say it in one line instead.
std::optional<QString> displayProblem()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            return QStringLiteral("no X display: this Wayland desktop runs no XWayland, which vorno needs");
        return QStringLiteral("no X display: DISPLAY is not set (start vorno from a desktop session)");
    }
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const int error = xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    if (error)
        return QStringLiteral("cannot open the X display %1").arg(qEnvironmentVariable("DISPLAY"));
    return std::nullopt;
}

// SIGTERM and friends arrive at log-out: handled on the event loop, not in the handler.
int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    (void)!write(signalPipe[1], &byte, 1);
}

void watchSignals(AppDelegate *delegate)
{
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, delegate);
    QObject::connect(notifier, &QSocketNotifier::activated, delegate, [delegate, notifier] {
        char byte;
        while (read(signalPipe[0], &byte, 1) > 0) { }
        notifier->setEnabled(false);
        delegate->endNow();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
}

AppConfiguration configuration(QString *error)
{
#ifdef VORNO_DEVELOPMENT
    return AppConfiguration::development(QProcessEnvironment::systemEnvironment(), error);
#else
    Q_UNUSED(error);
    return AppConfiguration::release(); // a release build never takes its origin or trust from outside
#endif
}

} // namespace

int main(int argc, char *argv[])
{
    if (const std::optional<QString> problem = displayProblem())
        return fail(*problem, 2);

    // The platform goes in as an argument, not through the environment, so
    // that programs started from here (the browser) keep the user's choice.
    std::vector<char *> arguments(argv, argv + argc);
    char platformOption[] = "-platform";
    char platformName[] = "xcb";
    arguments.insert(arguments.begin() + 1, {platformOption, platformName});
    int count = int(arguments.size());
    arguments.push_back(nullptr);
    QApplication application(count, arguments.data());
    QApplication::setApplicationName(QStringLiteral("vorno"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vorno"));
    QApplication::setApplicationVersion(QStringLiteral(VORNO_VERSION));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(build::appIdentifier));
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Vorno Companion: notes and files for your Vorno account."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption background(QStringLiteral("background"),
                                        QStringLiteral("Start without opening anything, as at login."));
    parser.addOption(background);
    // The desktop entry's actions; a running Vorno performs them.
    const std::array<QCommandLineOption, 3> commands {
        QCommandLineOption(commandName(AppCommand::quickRecord),
                           QStringLiteral("Open Quick record, ready for typing.")),
        QCommandLineOption(commandName(AppCommand::addFiles), QStringLiteral("Choose files to add.")),
        QCommandLineOption(commandName(AppCommand::settings), QStringLiteral("Open Settings.")),
    };
    for (const QCommandLineOption &option : commands)
        parser.addOption(option);
    parser.addPositionalArgument(QStringLiteral("url"), QStringLiteral("A sign-in callback to hand to Vorno."),
                                 QStringLiteral("[url...]"));
    parser.process(application); // an unknown option: one line and exit 1

    std::optional<AppCommand> command;
    for (const AppCommand candidate : allCommands) {
        if (!parser.isSet(commandName(candidate)))
            continue;
        if (command)
            return fail(QStringLiteral("give one of --quick-record, --add-files and --settings"), 1);
        command = candidate;
    }

    installTranslations(application);
    try {
        (void)BrandSymbol::load();
    } catch (const BrandSymbol::MissingError &error) {
        return fail(QString::fromUtf8(error.what()));
    }

    QString problem;
    AppDelegateOptions options;
    options.configuration = configuration(&problem);
    if (!problem.isEmpty())
        return fail(problem, 2);

    VornoApplication vorno(std::move(options));
    switch (vorno.start(parser.positionalArguments(), parser.isSet(background), command)) {
    case VornoApplication::Start::forwarded:
        return 0;
    case VornoApplication::Start::failed:
        return fail(vorno.error());
    case VornoApplication::Start::running:
        break;
    }
    if (!vorno.hasTray())
        std::fprintf(stderr, "vorno: this desktop shows no tray; start vorno again to open the panel\n");
    watchSignals(vorno.delegate());
    return QApplication::exec();
}
