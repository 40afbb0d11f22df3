#include "platform/CommandLine.h"

#include "platform/ProductInfo.h"

#include <array>

namespace {

struct Option {
    const char* name;
    CommandLine::Command command;
    const char* word; // over the channel, and in messages
    const char* help;
};

constexpr std::array<Option, 6> kOptions{{
    {"--pause", CommandLine::Command::Pause, "pause", "hold the line on show"},
    {"--resume", CommandLine::Command::Resume, "resume", "play on after --pause"},
    {"--toggle-pause", CommandLine::Command::TogglePause, "toggle-pause",
     "pause, or play on when paused"},
    {"--repeat", CommandLine::Command::Repeat, "repeat", "show the pair on show again"},
    {"--next", CommandLine::Command::Next, "next", "go on to the next pair"},
    {"--quit", CommandLine::Command::Quit, "quit", "save what Exit saves and end"},
}};

constexpr char kHelp[] = "--help";
constexpr char kShortHelp[] = "-h";
constexpr char kVersion[] = "--version";

const Option* optionNamed(const QString& name)
{
    for (const Option& option : kOptions) {
        if (name == QLatin1String(option.name))
            return &option;
    }
    return nullptr;
}

const Option& optionFor(CommandLine::Command command)
{
    for (const Option& option : kOptions) {
        if (option.command == command)
            return option;
    }
    return kOptions.front(); // every command has its row
}

CommandLine::Request misused(const QString& error)
{
    return {CommandLine::Action::Misused, CommandLine::Command::Pause, error};
}

} // namespace

namespace CommandLine {

Request parse(const QStringList& arguments)
{
    bool help = false;
    bool version = false;
    std::optional<Command> command;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String(kHelp) || argument == QLatin1String(kShortHelp)) {
            help = true;
        } else if (argument == QLatin1String(kVersion)) {
            version = true;
        } else if (const Option* option = optionNamed(argument)) {
            if (command)
                return misused(QStringLiteral("one command at a time"));
            command = option->command;
        } else if (argument.startsWith(QLatin1Char('-'))) {
            return misused(QStringLiteral("unknown option '%1'").arg(argument));
        } else {
            return misused(QStringLiteral("unexpected argument '%1'").arg(argument));
        }
    }
    if (help)
        return {Action::Help, Command::Pause, {}};
    if (version)
        return {Action::Version, Command::Pause, {}};
    if (command)
        return {Action::Send, *command, {}};
    return {};
}

QByteArray wordFor(Command command)
{
    return QByteArray(optionFor(command).word);
}

std::optional<Command> commandFor(const QByteArray& word)
{
    for (const Option& option : kOptions) {
        if (word == option.word)
            return option.command;
    }
    return std::nullopt;
}

QString usage()
{
    QString text = QStringLiteral("Usage: quorvel [option]\n"
                                  "With no option the tutor starts (or comes to the front).\n"
                                  "These go to the running tutor, for desktop shortcuts:\n");
    for (const Option& option : kOptions)
        text += QStringLiteral("  %1  %2\n")
                    .arg(QLatin1String(option.name), -14)
                    .arg(QLatin1String(option.help));
    text += QStringLiteral("  %1  %2\n")
                .arg(QLatin1String(kHelp), -14)
                .arg(QLatin1String("show this help"));
    text += QStringLiteral("  %1  %2\n")
                .arg(QLatin1String(kVersion), -14)
                .arg(QLatin1String("show the version"));
    return text;
}

QString versionText()
{
    return QStringLiteral("%1 %2\n").arg(QLatin1String(ProductInfo::kTitle),
                                         QLatin1String(QUORVEL_VERSION));
}

QString noRunningCopy(Command command)
{
    return QStringLiteral("quorvel: no running copy to %1\n")
        .arg(QLatin1String(optionFor(command).word));
}

} // namespace CommandLine
