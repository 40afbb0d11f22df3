#include "UnexpectedWarnings.h"
#include "platform/CommandLine.h"

#include <QTest>

using CommandLine::Action;
using CommandLine::Command;

Q_DECLARE_METATYPE(CommandLine::Action)
Q_DECLARE_METATYPE(CommandLine::Command)

// What a start with options does; a desktop shortcut runs these.
class TestCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnUnexpectedWarnings(); }
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Action>("action");
        QTest::addColumn<Command>("command"); // Send only

        QTest::newRow("none") << QStringList{} << Action::Start << Command::Pause;
        QTest::newRow("--pause") << QStringList{"--pause"} << Action::Send << Command::Pause;
        QTest::newRow("--help") << QStringList{"--help"} << Action::Help << Command::Pause;
        QTest::newRow("-h") << QStringList{"-h"} << Action::Help << Command::Pause;
        QTest::newRow("--version") << QStringList{"--version"} << Action::Version << Command::Pause;
        QTest::newRow("help wins over a command")
            << QStringList{"--next", "--help"} << Action::Help << Command::Pause;
        QTest::newRow("help wins over the version")
            << QStringList{"--version", "--help"} << Action::Help << Command::Pause;
        QTest::newRow("two commands")
            << QStringList{"--pause", "--next"} << Action::Misused << Command::Pause;
        QTest::newRow("one command twice")
            << QStringList{"--pause", "--pause"} << Action::Misused << Command::Pause;
        QTest::newRow("--pause extra")
            << QStringList{"--pause", "extra"} << Action::Misused << Command::Pause;
        QTest::newRow("extra alone") << QStringList{"extra"} << Action::Misused << Command::Pause;
        QTest::newRow("unknown option")
            << QStringList{"--stop"} << Action::Misused << Command::Pause;
        QTest::newRow("single dash") << QStringList{"-pause"} << Action::Misused << Command::Pause;
        QTest::newRow("value glued on")
            << QStringList{"--pause=1"} << Action::Misused << Command::Pause;
        QTest::newRow("upper case") << QStringList{"--PAUSE"} << Action::Misused << Command::Pause;
        QTest::newRow("empty argument") << QStringList{""} << Action::Misused << Command::Pause;
        QTest::newRow("garbage before help")
            << QStringList{"--bogus", "--help"} << Action::Misused << Command::Pause;
        QTest::newRow("Qt's own -platform")
            << QStringList{"-platform", "xcb"} << Action::Misused << Command::Pause;
    }
    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Action, action);
        QFETCH(Command, command);
        const CommandLine::Request request = CommandLine::parse(arguments);
        QCOMPARE(request.action, action);
        if (action == Action::Send)
            QCOMPARE(request.command, command);
        QCOMPARE(request.error.isEmpty(), action != Action::Misused);
    }

    void unknownWords()
    {
        for (const QByteArray word : {"", "activate", "PAUSE", "pause ", "--pause"})
            QVERIFY2(!CommandLine::commandFor(word), word.constData());
    }
};

QTEST_APPLESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"
