#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// The program's options. A desktop shortcut runs `quorvel --pause` and the
// like: the command goes to the copy that runs, and nothing starts. Parsing
// needs no application object, so --help and --version work without a
// display.
namespace CommandLine {

// What a later start asks the running copy to do.
enum class Command { Pause, Resume, TogglePause, Repeat, Next, Quit };

enum class Action {
    Start,   // no argument: the tutor starts as usual
    Send,    // one command for the running copy
    Help,    // print the usage, exit 0
    Version, // print the version, exit 0
    Misused, // print the error and the usage to stderr, exit 2
};

struct Request {
    Action action = Action::Start;
    Command command = Command::Pause; // Send only
    QString error;                    // Misused only
};

// `arguments` without the program's name.
Request parse(const QStringList& arguments);

// The word a command travels as over the single-copy channel, and back.
QByteArray wordFor(Command command);
std::optional<Command> commandFor(const QByteArray& word);

QString usage();
QString versionText();
// One line for a command that found no copy running.
QString noRunningCopy(Command command);

constexpr int kMisusedExitCode = 2;

} // namespace CommandLine
