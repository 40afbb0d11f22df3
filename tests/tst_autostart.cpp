#include "TestEnvironment.h"
#include "settings/Autostart.h"
#include "settings/Module1.h"
#include "settings/PlaybackState.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

namespace {

QStringList entryLines()
{
    QFile file(Autostart::location());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString execValue()
{
    for (const QString& line : entryLines()) {
        if (line.startsWith(QLatin1String("Exec=")))
            return line.mid(5);
    }
    return QString();
}

// Reads an Exec value back the way a desktop reads it: first the escapes of
// a string value, then the quoting of one argument, then the '%' codes.
// Returns a null string for anything a strict reader would refuse.
QString programFromExec(const QString& value)
{
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != QLatin1Char('\\')) {
            text += value[i];
            continue;
        }
        if (++i == value.size())
            return QString();
        const char escaped = value[i].toLatin1();
        const QString plain = escaped == 's'    ? QStringLiteral(" ")
                              : escaped == 'n'  ? QStringLiteral("\n")
                              : escaped == 't'  ? QStringLiteral("\t")
                              : escaped == 'r'  ? QStringLiteral("\r")
                              : escaped == '\\' ? QStringLiteral("\\")
                                                : QString();
        if (plain.isNull())
            return QString();
        text += plain;
    }

    QString argument;
    if (text.startsWith(QLatin1Char('"'))) {
        if (text.size() < 2 || !text.endsWith(QLatin1Char('"')))
            return QString();
        const QString inner = text.mid(1, text.size() - 2);
        for (qsizetype i = 0; i < inner.size(); ++i) {
            QChar c = inner[i];
            if (c == QLatin1Char('\\')) {
                if (++i == inner.size() || !QStringLiteral("\"`$\\").contains(inner[i]))
                    return QString();
                c = inner[i];
            } else if (QStringLiteral("\"`$").contains(c)) {
                return QString();
            }
            argument += c;
        }
    } else {
        for (const QChar c : text) {
            if (QStringLiteral(" \t\n\"'\\><~|&;$*?#()`").contains(c))
                return QString();
        }
        argument = text;
    }

    QString program;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        if (argument[i] == QLatin1Char('%')) {
            if (++i == argument.size() || argument[i] != QLatin1Char('%'))
                return QString();
        }
        program += argument[i];
    }
    return program;
}

void addPathRows()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("exec");

    QTest::newRow("plain") << "/usr/bin/quorvel"
                           << "/usr/bin/quorvel";
    QTest::newRow("blanks") << "/opt/My Programs/quorvel"
                            << "\"/opt/My Programs/quorvel\"";
    QTest::newRow("percent") << "/opt/100%/quorvel"
                             << "/opt/100%%/quorvel";
    QTest::newRow("percent and blank") << "/opt/100 %/quorvel"
                                       << "\"/opt/100 %%/quorvel\"";
    QTest::newRow("double quote") << "/opt/say \"ciao\"/quorvel"
                                  << R"("/opt/say \\"ciao\\"/quorvel")";
    QTest::newRow("dollar and backtick") << "/opt/$HOME/`id`/quorvel"
                                         << R"("/opt/\\$HOME/\\`id\\`/quorvel")";
    QTest::newRow("backslash") << "/opt/a\\b/quorvel"
                               << R"("/opt/a\\\\b/quorvel")";
    QTest::newRow("single quote") << "/home/o'brien/quorvel"
                                  << "\"/home/o'brien/quorvel\"";
    QTest::newRow("shell characters") << "/opt/a&b;c|d/quorvel"
                                      << "\"/opt/a&b;c|d/quorvel\"";
    QTest::newRow("tab") << "/opt/a\tb/quorvel"
                         << R"("/opt/a\tb/quorvel")";
    QTest::newRow("accented") << "/home/niccolò/quorvel"
                              << "/home/niccolò/quorvel";
}

} // namespace

class TestAutostart : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void entryFollowsTheConfigFolder();
    void execLine_data();
    void execLine();
    void desktopFileValidates_data();
    void desktopFileValidates();
    void enableTwiceRewrites();
    void disableRemovesTheEntry();
    void disableWithoutEntryIsANoOp();
    void enableFailsWhenTheFolderCannotBeMade();
    void setStartWithWindows_data();
    void setStartWithWindows();
};

void TestAutostart::entryFollowsTheConfigFolder()
{
    TestEnvironment env;
    QCOMPARE(Autostart::location(), env.configHome() + "/autostart/Italian.desktop");
    QVERIFY(!Autostart::isEnabled());

    // The folder does not exist yet: enable makes it.
    QVERIFY(Autostart::enable("/usr/bin/quorvel"));
    QVERIFY(Autostart::isEnabled());
    const QStringList expected = {
        "[Desktop Entry]",       "Type=Application",
        "Name=Quorvel",          "Comment=Everyday Italian sentences on the top edge of the screen",
        "Exec=/usr/bin/quorvel", "Icon=quorvel",
        "Terminal=false",        "X-GNOME-Autostart-enabled=true"};
    QCOMPARE(entryLines(), expected);
    // Nothing is left beside it, such as a temporary file.
    QCOMPARE(QDir(env.configHome() + "/autostart").entryList(QDir::Files | QDir::Hidden),
             QStringList{"Italian.desktop"});
}

void TestAutostart::execLine_data()
{
    addPathRows();
}

void TestAutostart::execLine()
{
    QFETCH(QString, path);
    QFETCH(QString, exec);

    TestEnvironment env;
    QVERIFY(Autostart::enable(path));
    QCOMPARE(execValue(), exec);
    QCOMPARE(programFromExec(execValue()), path);
}

void TestAutostart::desktopFileValidates_data()
{
    addPathRows();
}

void TestAutostart::desktopFileValidates()
{
    QFETCH(QString, path);

    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (validator.isEmpty())
        QSKIP("desktop-file-validate is not installed");
    TestEnvironment env;
    QVERIFY(Autostart::enable(path));

    QProcess process;
    process.start(validator, {Autostart::location()});
    QVERIFY(process.waitForFinished(30000));
    const QString output =
        QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    QVERIFY2(process.exitCode() == 0, qPrintable(output));
    QVERIFY2(!output.contains("error", Qt::CaseInsensitive), qPrintable(output));
    QVERIFY2(!output.contains("warning", Qt::CaseInsensitive), qPrintable(output));
}

void TestAutostart::enableTwiceRewrites()
{
    TestEnvironment env;
    QVERIFY(Autostart::enable("/opt/old place/quorvel"));
    QVERIFY(Autostart::enable("/usr/local/bin/quorvel"));

    QCOMPARE(execValue(), QStringLiteral("/usr/local/bin/quorvel"));
    QCOMPARE(entryLines().filter(QRegularExpression("^Exec=")).size(), 1);
    QCOMPARE(entryLines().size(), 8);
}

void TestAutostart::disableRemovesTheEntry()
{
    TestEnvironment env;
    QVERIFY(Autostart::enable("/usr/bin/quorvel"));
    QVERIFY(Autostart::disable());
    QVERIFY(!Autostart::isEnabled());
    QVERIFY(!QFile::exists(env.configHome() + "/autostart/Italian.desktop"));
}

void TestAutostart::disableWithoutEntryIsANoOp()
{
    TestEnvironment env;
    QVERIFY(Autostart::disable());
    QVERIFY(!Autostart::isEnabled());
    // Nothing is created on the way.
    QVERIFY(QDir(env.configHome()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

void TestAutostart::enableFailsWhenTheFolderCannotBeMade()
{
    TestEnvironment env;
    QFile blocker(env.configHome() + "/autostart");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    QVERIFY(!Autostart::enable("/usr/bin/quorvel"));
    QVERIFY(!Autostart::isEnabled());
    PlaybackState state;
    state.gintStartWithWindows = 1;
    Module1::Set_Start_With_Windows(state, "/usr/bin/quorvel"); // quietly does nothing
    QVERIFY(!Autostart::isEnabled());
}

void TestAutostart::setStartWithWindows_data()
{
    QTest::addColumn<int>("mark");
    QTest::addColumn<bool>("entryBefore");
    QTest::addColumn<bool>("entryAfter");
    QTest::addColumn<QString>("program");

    const QString before = "/opt/old place/quorvel";
    const QString now = "/opt/new place/quorvel";
    QTest::newRow("1 adds") << 1 << false << true << now;
    QTest::newRow("1 rewrites with the new path") << 1 << true << true << now;
    QTest::newRow("0 removes") << 0 << true << false << QString();
    QTest::newRow("0 without entry") << 0 << false << false << QString();
    QTest::newRow("2 leaves the entry") << 2 << true << true << before;
    QTest::newRow("2 adds nothing") << 2 << false << false << QString();
    QTest::newRow("-1 leaves the entry") << -1 << true << true << before;
    QTest::newRow("-1 adds nothing") << -1 << false << false << QString();
}

void TestAutostart::setStartWithWindows()
{
    QFETCH(int, mark);
    QFETCH(bool, entryBefore);
    QFETCH(bool, entryAfter);
    QFETCH(QString, program);

    TestEnvironment env;
    if (entryBefore)
        QVERIFY(Autostart::enable("/opt/old place/quorvel"));
    PlaybackState state;
    state.gintStartWithWindows = qint16(mark);

    Module1::Set_Start_With_Windows(state, "/opt/new place/quorvel");

    QCOMPARE(Autostart::isEnabled(), entryAfter);
    if (entryAfter)
        QCOMPARE(programFromExec(execValue()), program);
}

QTEST_MAIN(TestAutostart)
#include "tst_autostart.moc"
