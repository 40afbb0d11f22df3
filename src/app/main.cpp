#include "app/TutorAssembly.h"
#include "platform/AtSpiGuard.h"
#include "platform/CommandLine.h"
#include "platform/Desktop.h"
#include "platform/DesktopHints.h"
#include "platform/ProductInfo.h"
#include "platform/SingleInstance.h"
#include "ui/TrayIcon.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QIcon>
#include <QLibraryInfo>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

namespace {

constexpr char kNoDisplay[] =
    "quorvel: no display found: run it inside a desktop session (X11 or Wayland).\n";

bool envSet(const char* name)
{
    return !qEnvironmentVariableIsEmpty(name);
}

// The strip must sit on the screen's top edge, which Wayland does not let a
// client do; XWayland does.
void preferXcbOnWayland()
{
    if (envSet("WAYLAND_DISPLAY") && envSet("DISPLAY") && !envSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

bool displayExpected()
{
#ifdef Q_OS_LINUX
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform.startsWith("xcb"))
        return envSet("DISPLAY") || envSet("WAYLAND_DISPLAY");
#endif
    return true;
}

// A desktop session with no Qt plugin for its display system looks like no
// display at all; name the plugin that is missing instead.
bool platformPluginMissing()
{
#ifdef Q_OS_LINUX
    struct Plugin {
        const char* platform;
        const char* file;
        const char* package;
    };
    constexpr Plugin kPlugins[]{{"xcb", "libqxcb.so", "qt6-qpa-plugins"},
                                {"wayland", "libqwayland-generic.so", "qt6-wayland"}};
    const QByteArray chosen = qgetenv("QT_QPA_PLATFORM").split(':').first();
    const QByteArray platform = !chosen.isEmpty()           ? chosen
                                : envSet("DISPLAY")         ? QByteArray("xcb")
                                : envSet("WAYLAND_DISPLAY") ? QByteArray("wayland")
                                                            : QByteArray();
    const QString folder = QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms/";
    for (const Plugin& plugin : kPlugins) {
        if (platform == plugin.platform && !QFile::exists(folder + plugin.file)) {
            std::fprintf(stderr,
                         "quorvel: Qt's %s platform plugin is not installed (%s%s): install "
                         "the Debian package %s.\n",
                         plugin.platform, qPrintable(folder), plugin.file, plugin.package);
            return true;
        }
    }
#endif
    return false;
}

// On Wayland itself the compositor places every window; the strip cannot
// claim the top edge, and the person should know why.
void noteNativeWayland()
{
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        std::fputs("quorvel: running natively on Wayland: the compositor decides where the "
                   "strip and the parrot go.\n",
                   stderr);
}

// While the platform plugin starts, Qt reports a missing or unreachable
// display with a page of plugin diagnostics and an abort. Say it in one line
// and leave with an error instead.
void startupMessages(QtMsgType type, const QMessageLogContext&, const QString&)
{
    if (type == QtFatalMsg) {
        std::fputs(kNoDisplay, stderr);
        std::_Exit(EXIT_FAILURE);
    }
}

// A display that takes the connection and never answers would hold the
// start for good, with no word. Bounds the wait for it.
class DisplayWatchdog {
public:
    static constexpr std::chrono::seconds kAnswerTimeout{10};

    DisplayWatchdog() : m_thread([this] { watch(); }) {}
    ~DisplayWatchdog()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_answered = true;
        }
        m_changed.notify_one();
        m_thread.join();
    }
    DisplayWatchdog(const DisplayWatchdog&) = delete;
    DisplayWatchdog& operator=(const DisplayWatchdog&) = delete;

private:
    void watch()
    {
        std::unique_lock lock(m_mutex);
        if (m_changed.wait_for(lock, kAnswerTimeout, [this] { return m_answered; }))
            return;
        std::fprintf(stderr, "quorvel: the display %s does not answer: %lld s without a reply.\n",
                     qgetenv("DISPLAY").constData(),
                     static_cast<long long>(kAnswerTimeout.count()));
        std::_Exit(EXIT_FAILURE);
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_answered = false;
    std::thread m_thread;
};

// A start with an option: the usage, the version, or one command sent to
// the copy that runs. None of them needs a display.
int runCommandLine(int argc, char* argv[], const CommandLine::Request& request)
{
    using CommandLine::Action;
    switch (request.action) {
    case Action::Help:
        std::fputs(qPrintable(CommandLine::usage()), stdout);
        return EXIT_SUCCESS;
    case Action::Version:
        std::fputs(qPrintable(CommandLine::versionText()), stdout);
        return EXIT_SUCCESS;
    case Action::Misused:
        std::fprintf(stderr, "quorvel: %s\n%s", qPrintable(request.error),
                     qPrintable(CommandLine::usage()));
        return CommandLine::kMisusedExitCode;
    case Action::Send:
    case Action::Start:
        break;
    }
    const QCoreApplication core(argc, argv);
    if (SingleInstance::send(CommandLine::wordFor(request.command)))
        return EXIT_SUCCESS;
    std::fputs(qPrintable(CommandLine::noRunningCopy(request.command)), stderr);
    return EXIT_FAILURE;
}

QStringList optionsOf(int argc, char* argv[])
{
    QStringList options;
    for (int i = 1; i < argc; ++i)
        options << QString::fromLocal8Bit(argv[i]);
    return options;
}

} // namespace

int main(int argc, char* argv[])
{
    const CommandLine::Request request = CommandLine::parse(optionsOf(argc, argv));
    if (request.action != CommandLine::Action::Start)
        return runCommandLine(argc, argv, request);

    preferXcbOnWayland();
    DesktopHints::preferCopiedPixels();
    if (platformPluginMissing())
        return EXIT_FAILURE;
    if (!displayExpected()) {
        std::fputs(kNoDisplay, stderr);
        return EXIT_FAILURE;
    }

    const QtMessageHandler previous = qInstallMessageHandler(startupMessages);
    auto watchdog = std::make_unique<DisplayWatchdog>();
    QApplication app(argc, argv);
    watchdog.reset();
    qInstallMessageHandler(previous);
    noteNativeWayland();
    AtSpiGuard::install();
    // No display name: Qt would add it to every window title, and the titles
    // are the windows' own ("Setting...", "Version"). The desktop file groups
    // the windows under the launcher's name and icon instead.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.quorvel"));
    QApplication::setWindowIcon(QIcon(QString::fromLatin1(ProductInfo::kIconPath)));

    // Before anything else: a second start only brings the first copy forward.
    SingleInstance instance;
    if (!instance.claim())
        return EXIT_SUCCESS;

    // The strip ends only through its Exit command.
    QApplication::setQuitOnLastWindowClosed(false);

    Desktop desktop;
    TutorAssembly tutor(
        {.desktop = desktop,
         .quit = [] { QCoreApplication::exit(0); },
         .instance = &instance,
         .tray = TrayIcon::mayAppear() ? TutorAssembly::Tray::Shown : TutorAssembly::Tray::None,
         .watchDesktop = true});
    tutor.start();
    const int code = QApplication::exec();
    tutor.agent().stopForExit(); // else the speech service reads the sentence to its end

    // Exit has already pushed the settings to the disk. End at once rather
    // than tear the windows down one by one, so that a speech daemon that
    // does not answer cannot hold the program up.
    instance.release();
    std::_Exit(code);
}
