#include "agent/AgentControl.h"
#include "app/Desktop.h"
#include "app/Form1.h"
#include "app/SingleInstance.h"
#include "content/Corpus.h"
#include "settings/PlaybackState.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QByteArray>
#include <cstdio>
#include <cstdlib>

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

} // namespace

int main(int argc, char* argv[])
{
    preferXcbOnWayland();
    if (!displayExpected()) {
        std::fputs(kNoDisplay, stderr);
        return EXIT_FAILURE;
    }

    const QtMessageHandler previous = qInstallMessageHandler(startupMessages);
    QApplication app(argc, argv);
    qInstallMessageHandler(previous);
    QApplication::setApplicationDisplayName(QStringLiteral("Quorvel"));

    // Before anything else: a second start only brings the first copy forward.
    SingleInstance instance;
    if (!instance.claim())
        return EXIT_SUCCESS;

    // The strip ends only through its Exit command.
    QApplication::setQuitOnLastWindowClosed(false);

    PlaybackState state;
    const Corpus corpus;
    SettingsStore store; // $XDG_CONFIG_HOME/Brix.conf: it names its file itself
    AgentControl agent;
    Desktop desktop;
    Form1 form1(state, corpus, store, agent, desktop);
    QObject::connect(&instance, &SingleInstance::activateRequested, &form1, &Form1::activate);
    form1.Form_Load();
    const int code = QApplication::exec();

    // Exit has already pushed the settings to the disk. End at once rather
    // than tear the windows down one by one, so that a speech daemon that
    // does not answer cannot hold the program up.
    instance.release();
    std::_Exit(code);
}
