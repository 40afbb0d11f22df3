#include "TestEnvironment.h"
#include "settings/Autostart.h"
#include "settings/PlaybackState.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

namespace {

// The program an entry starts, read as a desktop reads Exec: string escapes,
// the shell's double-quote rules, '%' codes. Empty if a strict reader refuses.
QString entryProgram()
{
    QFile file(Autostart::location());
    const QRegularExpression execLine("^Exec=(.*)$", QRegularExpression::MultilineOption);
    const QString text = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : "";
    QString exec = execLine.match(text).captured(1);
    if (QString(exec).remove(QRegularExpression(R"(\\[\\sntr])")).contains('\\') ||
        QString(exec).remove("%%").contains('%'))
        return {};
    QProcess shell;
    shell.start("sh", {"-c", "printf %s " + exec.replace("\\\\", "\\").replace("%%", "%")});
    return shell.waitForFinished() ? QString::fromUtf8(shell.readAllStandardOutput()) : QString();
}

} // namespace

class TestAutostart : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void execLine_data();
    void execLine();
    void setStartWithWindows_data();
    void setStartWithWindows();
};

void TestAutostart::execLine_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("blanks") << "/opt/My Programs/quorvel";
    QTest::newRow("percent") << "/opt/100%/quorvel";
    QTest::newRow("double quote") << "/opt/say \"ciao\"/quorvel";
    QTest::newRow("shell characters") << "/opt/$HOME/`id`;a\\b/quorvel";
}

void TestAutostart::execLine()
{
    QFETCH(QString, path);
    TestEnvironment env;
    QVERIFY(Autostart::enable(path)); // the autostart folder does not exist yet
    QCOMPARE(entryProgram(), path);

    if (QStandardPaths::findExecutable("desktop-file-validate").isEmpty())
        QSKIP("desktop-file-validate is not installed");
    QProcess validate;
    validate.start("desktop-file-validate", {Autostart::location()});
    QVERIFY(validate.waitForFinished() && validate.exitCode() == 0);
    QCOMPARE(validate.readAllStandardOutput() + validate.readAllStandardError(), QByteArray());
}

void TestAutostart::setStartWithWindows_data()
{
    QTest::addColumn<int>("mark");
    QTest::addColumn<bool>("entryBefore");
    QTest::addColumn<QString>("program"); // null: no entry afterwards

    QTest::newRow("1 adds") << 1 << false << "/opt/new place/quorvel";
    QTest::newRow("1 rewrites a moved program") << 1 << true << "/opt/new place/quorvel";
    QTest::newRow("0 removes") << 0 << true << QString();
    QTest::newRow("0 without entry") << 0 << false << QString();
    QTest::newRow("2 leaves the entry") << 2 << true << "/opt/old place/quorvel";
}

void TestAutostart::setStartWithWindows()
{
    QFETCH(int, mark);
    QFETCH(bool, entryBefore);
    QFETCH(QString, program);
    TestEnvironment env;
    if (entryBefore)
        QVERIFY(Autostart::enable("/opt/old place/quorvel"));
    PlaybackState state;
    state.startWithLogon = qint16(mark);
    Autostart::apply(state, "/opt/new place/quorvel");

    QCOMPARE(Autostart::isEnabled(), !program.isNull());
    QCOMPARE(entryProgram(), program);
}

QTEST_MAIN(TestAutostart)
#include "tst_autostart.moc"
