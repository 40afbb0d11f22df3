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

    return EXIT_SUCCESS;
}
