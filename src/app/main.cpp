#include "agent/AgentControl.h"
#include "content/Corpus.h"
#include "platform/AtSpiGuard.h"
#include "platform/CommandLine.h"
#include "platform/Desktop.h"
#include "platform/DesktopHints.h"
#include "platform/FullScreenWatch.h"
#include "platform/ProductInfo.h"
#include "platform/ScreenSaverWatch.h"
#include "platform/SingleInstance.h"
#include "playback/PairSource.h"
#include "settings/Autostart.h"
#include "settings/PlaybackState.h"
#include "settings/ProblemReport.h"
#include "settings/SettingsStore.h"
#include "strip/CaptionStrip.h"
#include "strip/LearnerControls.h"
#include "ui/ProblemBoxes.h"
#include "ui/StartupSplash.h"
#include "ui/StripMenu.h"
#include "ui/TrayIcon.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QIcon>
#include <QLibraryInfo>
#include <QPointer>
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

// The windows say what happened; here each news reaches whoever acts on it.
void connectWindows(CaptionStrip& strip, StripMenu& menu, const Desktop& desktop,
                    ProblemBoxes& problemBoxes)
{
    using Playback = CaptionStrip::Playback;
    QObject::connect(&strip, &CaptionStrip::menuRequested, &menu, &StripMenu::popup);
    QObject::connect(&menu, &StripMenu::settingsOpened, &strip,
                     [&strip] { strip.setDialogOpen(true); });
    QObject::connect(&menu, &StripMenu::settingsClosed, &strip,
                     [&strip] { strip.setDialogOpen(false); });
    QObject::connect(&menu, &StripMenu::aboutOpened, &strip,
                     [&strip] { strip.setDialogOpen(true, Playback::Continue); });
    QObject::connect(&menu, &StripMenu::aboutClosed, &strip,
                     [&strip] { strip.setDialogOpen(false, Playback::Continue); });
    QObject::connect(&menu, &StripMenu::readAloudToggled, &strip, &CaptionStrip::setCharacterShown);
    QObject::connect(&menu, &StripMenu::menuShown, &strip, &CaptionStrip::setMenuArea);
    QObject::connect(&menu, &StripMenu::menuHidden, &strip, [&strip] { strip.setMenuArea({}); });
    // A save that fails is told before the program ends; a second Exit
    // does not wait for the message.
    QObject::connect(&menu, &StripMenu::exitRequested, &strip, [&strip, &problemBoxes] {
        const int shown = problemBoxes.shownCount();
        strip.saveExitSettings();
        problemBoxes.afterClosed(shown, [] { QCoreApplication::exit(0); });
    });

    // The start-up window lives from the strip's start until the welcome
    // brings the strip up, or until it is clicked away.
    auto splash = std::make_shared<QPointer<StartupSplash>>();
    QObject::connect(&strip, &CaptionStrip::startupWindowDue, &strip, [&strip, &desktop, splash] {
        *splash = new StartupSplash(desktop);
        QObject::connect(*splash, &StartupSplash::dismissed, &strip,
                         &CaptionStrip::skipStartupWindow);
        (*splash)->open();
    });
    QObject::connect(&strip, &CaptionStrip::startupWindowOver, &strip, [splash] {
        if (*splash)
            (*splash)->unload();
    });
}

// The learner's controls outside the strip's own menu: the tray icon (where
// there may be a tray), a later start's command, the screen saver and full-screen windows. Exit and
// Settings go the hover menu's way.
void connectControls(CaptionStrip& strip, StripMenu& menu, LearnerControls& controls,
                     TrayIcon* tray)
{
    QObject::connect(&controls, &LearnerControls::exitRequested, &menu, &StripMenu::exitRequested);
    if (!tray)
        return;
    QObject::connect(tray, &TrayIcon::pauseToggled, &controls, &LearnerControls::togglePause);
    QObject::connect(tray, &TrayIcon::repeatRequested, &controls, &LearnerControls::repeat);
    QObject::connect(tray, &TrayIcon::nextRequested, &controls, &LearnerControls::next);
    QObject::connect(tray, &TrayIcon::speedChosen, &controls, &LearnerControls::setSpeechSpeed);
    QObject::connect(tray, &TrayIcon::settingsRequested, &menu, &StripMenu::openSettings);
    QObject::connect(tray, &TrayIcon::exitRequested, &menu, &StripMenu::exitRequested);
    QObject::connect(tray, &TrayIcon::readAloudToggled, &strip, &CaptionStrip::setCharacterShown);
    QObject::connect(tray, &TrayIcon::readAloudToggled, &menu, &StripMenu::setReadAloud);
    QObject::connect(&menu, &StripMenu::readAloudToggled, tray, &TrayIcon::setReadAloud);
    QObject::connect(&controls, &LearnerControls::learnerPauseChanged, tray, &TrayIcon::setPaused);
    QObject::connect(&controls, &LearnerControls::speechSpeedChanged, tray, &TrayIcon::setSpeed);
    QObject::connect(&strip, &CaptionStrip::pairShown, tray, &TrayIcon::showPair);
}

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

    PlaybackState state;
    const Corpus corpus;
    PairSource pairs(corpus);
    // A file the tutor cannot keep is worth one clear word: the learner's
    // choices would otherwise vanish without a sign.
    ProblemBoxes problemBoxes;
    ProblemReport problems([&problemBoxes](const QString& text) { problemBoxes.show(text); });
    SettingsStore store; // $XDG_CONFIG_HOME/Brix.conf: it names its file itself
    store.setProblemReport(&problems);
    AgentControl agent;
    Desktop desktop;
    CaptionStrip strip(state, pairs, store, agent, desktop);
    StripMenu menu(state, store, desktop);
    connectWindows(strip, menu, desktop, problemBoxes);
    QObject::connect(&menu, &StripMenu::autostartFailed, &menu, [&problems](const QString& text) {
        problems.report(Autostart::location(), text);
    });
    QObject::connect(&instance, &SingleInstance::activateRequested, &strip,
                     &CaptionStrip::activate);
    LearnerControls controls(strip, state, store);
    QObject::connect(&instance, &SingleInstance::commandReceived, &controls,
                     [&controls](const QByteArray& word) {
                         if (const auto command = CommandLine::commandFor(word))
                             controls.perform(*command);
                     });
    strip.start();

    // After start: the tray shows the stored pace and the first pair. On X11
    // it is made whether or not a tray runs yet: at log-on the panel often
    // starts after the tutor, and the icon appears once it does.
    std::unique_ptr<TrayIcon> tray;
    if (TrayIcon::mayAppear()) {
        tray = std::make_unique<TrayIcon>(state.speed);
        tray->showPair(strip.italian(), strip.english());
        tray->show();
    }
    connectControls(strip, menu, controls, tray.get());
    const ScreenSaverWatch screenSaver;
    QObject::connect(&screenSaver, &ScreenSaverWatch::activeChanged, &controls,
                     &LearnerControls::setScreenSaverActive);
    const FullScreenWatch fullScreen([&desktop] { return desktop.screenGeometry(); });
    QObject::connect(&fullScreen, &FullScreenWatch::fullScreenChanged, &controls,
                     &LearnerControls::setFullScreen);
    // It may have found a full-screen window before anyone listened.
    controls.setFullScreen(fullScreen.isFullScreen());
    const int code = QApplication::exec();
    agent.stopForExit(); // else the speech service reads the sentence to its end

    // Exit has already pushed the settings to the disk. End at once rather
    // than tear the windows down one by one, so that a speech daemon that
    // does not answer cannot hold the program up.
    instance.release();
    std::_Exit(code);
}
