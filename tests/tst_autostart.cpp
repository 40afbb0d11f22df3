#include "TestEnvironment.h"
#include "UnexpectedWarnings.h"
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
    if (!Autostart::location().endsWith(".desktop"))
        QSKIP("the log-on entry is no XDG autostart file here");
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

QTEST_MAIN(TestAutostart)
#include "tst_autostart.moc"
