#include "TestEnvironment.h"
#include "UnexpectedWarnings.h"
#include "settings/Autostart.h"
#include "settings/PlaybackState.h"

#include <QDir>
#include <QFileInfo>
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

enum Before { None, Ours, LinkToOurs, Foreign, LinkToForeign };
const QString kOldPlace = QStringLiteral("/opt/old place/quorvel");
const QString kNewPlace = QStringLiteral("/opt/new place/quorvel");
const QString kOther = QStringLiteral("other");

} // namespace

class TestAutostart : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnUnexpectedWarnings(); }
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
    QCOMPARE(Autostart::enable(path), QString()); // the autostart folder does not exist yet
    QCOMPARE(entryProgram(), path);
    // TryExec names the same file, as a plain string: the session skips the
    // entry once the program is gone.
    QFile entry(Autostart::location());
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QString tryExec =
        QRegularExpression("^TryExec=(.*)$", QRegularExpression::MultilineOption)
            .match(QString::fromUtf8(entry.readAll()))
            .captured(1);
    QCOMPARE(QString(tryExec).replace("\\\\", "\\"), path);

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
    QTest::addColumn<int>("before");
    QTest::addColumn<QString>("program"); // what the entry starts afterwards; null: no entry
    QTest::addColumn<bool>("refused");    // the learner is told why

    QTest::newRow("1 adds") << 1 << int(None) << kNewPlace << false;
    QTest::newRow("1 rewrites a moved program") << 1 << int(Ours) << kNewPlace << false;
    QTest::newRow("1 through a link to ours") << 1 << int(LinkToOurs) << kNewPlace << false;
    QTest::newRow("1 over another's entry") << 1 << int(Foreign) << kOther << true;
    QTest::newRow("1 over a link to another's") << 1 << int(LinkToForeign) << kOther << true;
    QTest::newRow("1 from a path that is not UTF-8") << 1 << int(None) << QString() << true;
    QTest::newRow("0 removes") << 0 << int(Ours) << QString() << false;
    QTest::newRow("0 without entry") << 0 << int(None) << QString() << false;
    QTest::newRow("0 leaves another's entry") << 0 << int(LinkToForeign) << kOther << false;
    QTest::newRow("2 leaves the entry") << 2 << int(Ours) << kOldPlace << false;
}

void TestAutostart::setStartWithWindows()
{
    QFETCH(int, mark);
    QFETCH(int, before);
    QFETCH(QString, program);
    QFETCH(bool, refused);
    TestEnvironment env;
    const QString elsewhere = env.configHome() + "/dotfiles/entry.desktop";
    QVERIFY(QDir().mkpath(QFileInfo(elsewhere).path()));
    const QByteArray foreign("[Desktop Entry]\nType=Application\nName=Other\nExec=other\n");
    if (before == Foreign || before == LinkToForeign) {
        QFile file(before == Foreign ? Autostart::location() : elsewhere);
        QVERIFY(QDir().mkpath(env.configHome() + "/autostart"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(foreign) == foreign.size());
    }
    if (before == Ours || before == LinkToOurs)
        QCOMPARE(Autostart::enable(kOldPlace), QString());
    if (before == LinkToOurs)
        QVERIFY(QFile::rename(Autostart::location(), elsewhere));
    if (before == LinkToOurs || before == LinkToForeign)
        QVERIFY(QFile::link(elsewhere, Autostart::location()));

    PlaybackState state;
    state.startWithLogon = qint16(mark);
    // A path that is not UTF-8 reaches the program with its bad bytes replaced.
    const QString path =
        refused && before == None ? QFile::decodeName("/opt/caf\xe9/quorvel") : kNewPlace;
    const QString problem = Autostart::apply(state, path);

    QCOMPARE(!problem.isEmpty(), refused);
    QVERIFY(!refused || problem.contains(Autostart::location()));
    QCOMPARE(entryProgram(), program);
    if (before == LinkToOurs || before == LinkToForeign) // a link stays a link
        QVERIFY(QFileInfo(Autostart::location()).isSymLink());
    if (before == Foreign || before == LinkToForeign) { // never written over
        QFile file(elsewhere);
        if (before == Foreign)
            file.setFileName(Autostart::location());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), foreign);
    }
}

QTEST_MAIN(TestAutostart)
#include "tst_autostart.moc"
