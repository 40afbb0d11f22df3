#include "FakeDesktop.h"
#include "RecordingCharacter.h"
#include "TestEnvironment.h"
#include "UnexpectedWarnings.h"
#include "agent/AgentControl.h"
#include "content/Corpus.h"
#include "playback/PairSource.h"
#include "settings/Autostart.h"
#include "settings/ProblemReport.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"
#include "strip/CaptionStrip.h"

#include <QDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using Values = QMap<QString, int>;
enum Obstacle { NoObstacle, DirectoryInPlace, FolderBelowFile, ForeignContent };
enum Place { Plain, Link, Pipe, NoPermission };

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Some lines of a first-run file.
const QString kFirstRun = QStringLiteral("xxx=1 n=2 etime=5 rd=0 guagen=11000 voice=1 left=5680");

class FailingCharacter : public RecordingCharacter {
public:
    using RecordingCharacter::RecordingCharacter;
    void Speak(const QString&) override { throw std::runtime_error("no speech"); }
    void Play(const QString&) override { throw std::runtime_error("no animation"); }
};

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnUnexpectedWarnings(); }
    void survives_data()
    {
        QTest::addColumn<int>("obstacle");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<Values>("kept");       // values read that differ from the first run
        QTest::addColumn<QString>("afterExit"); // lines of the file after Exit
        QTest::addColumn<bool>("failing");      // a character that fails, else none

        // Not text of ours: kept as it is.
        QTest::newRow("garbage") << int(ForeignContent)
                                 << QByteArrayLiteral("\xff[It\0\n=\x80[]\nn\0=\x9c") << Values{}
                                 << QString() << true;
        // Cut short in "etime=12": the 1 left falls back in memory, the rest is kept.
        QTest::newRow("truncated")
            << int(NoObstacle)
            << QByteArray("[Italian]\nxxx=1\nn=7\nrd=1\nguage=4\nguagen=10407\netime=1")
            << Values{{"n", 7}, {"rd", 1}, {"guage", 4}}
            << QStringLiteral("n=7 rd=1 guage=4 etime=1 guagen=10410 left=5680") << false;
        QTest::newRow("directory in its place")
            << int(DirectoryInPlace) << QByteArray() << Values{} << kFirstRun << true;
        QTest::newRow("unwritable folder")
            << int(FolderBelowFile) << QByteArray() << Values{} << kFirstRun << false;
    }

    // A settings file that cannot be read or written, or a missing or failing character,
    // never stops playback; the file's trouble is said once; Exit stores once the way
    // is clear.
    void survives()
    {
        QFETCH(int, obstacle);
        QFETCH(QByteArray, content);
        QFETCH(Values, kept);
        QFETCH(QString, afterExit);
        QFETCH(bool, failing);

        TestEnvironment env;
        const QString blocker = env.configHome() + "/file";
        const QString file =
            obstacle == FolderBelowFile ? blocker + "/sub/Brix.conf" : env.settingsFile();
        QFile seed(obstacle == FolderBelowFile ? blocker : file);
        if (obstacle == DirectoryInPlace)
            QVERIFY(QDir().mkpath(file + QStringLiteral("/inside")));
        else // nothing can be made below a regular file, whoever runs the test
            QVERIFY(seed.open(QIODevice::WriteOnly) && seed.write(content) == content.size());
        seed.close();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(QFileInfo(file).path()));

        FakeDesktop desktop;
        PlaybackState state;
        Corpus corpus;
        PairSource pairs(corpus);
        SettingsStore store;
        QStringList log;
        QStringList messages, problems;
        ProblemReport report([&problems](const QString& text) { problems << text; });
        store.setProblemReport(&report);
        AgentControl agent([&](const QString&, const QString&) -> std::unique_ptr<Character> {
            return failing ? std::make_unique<FailingCharacter>(&log) : nullptr;
        });
        CaptionStrip form(state, pairs, store, agent, desktop);
        form.setMessageHandler([&messages](const QString& text) { messages << text; });
        form.start();
        QCOMPARE(form.hasCharacter(), failing);
        for (const SettingKey& key : SettingKeys::kTable)
            if (key.kind == SettingKind::Integer && key.name != "guagen")
                QVERIFY2(state.*key.member ==
                             kept.value(QString::fromLatin1(key.name), key.firstRun),
                         key.name.data());
        const QTimer* cycleTimer = form.findChild<QTimer*>("Timer5");
        int loaded = 0; // pairs loaded after the welcome
        for (int tick = 0; tick < 20000 && loaded < 2; ++tick) {
            form.pointerTick();
            if (cycleTimer->isActive()) {
                const DisplayCycle& cycle = form.cycle();
                loaded += cycle.phase() == 0 && cycle.cycle() >= state.repeats ? 1 : 0;
                form.advanceCycle();
            }
        }
        QVERIFY(loaded == 2 && messages.isEmpty());
        // A file that cannot be kept is said once, naming it; nothing else is.
        QCOMPARE(problems.size(), obstacle == NoObstacle ? 0 : 1);
        QVERIFY(problems.isEmpty() || problems.first().contains(file));
        if (obstacle != NoObstacle) {
            form.saveExitSettings(); // still blocked: Exit ends all the same
            if (obstacle == DirectoryInPlace)
                QVERIFY(QDir(file).removeRecursively());
            else if (obstacle == FolderBelowFile)
                QVERIFY(QFile::remove(blocker));
        }
        form.saveExitSettings();
        QCOMPARE(problems.size(), obstacle == NoObstacle ? 0 : 1); // once per run
        if (obstacle == ForeignContent)
            QCOMPARE(fileBytes(file), content);
        const QString text = QString::fromUtf8(fileBytes(file));
        for (const QString& line : afterExit.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            QVERIFY2(text.contains(QLatin1Char('\n') + line + QLatin1Char('\n')), qPrintable(line));
    }

    void foreignFileIsKept_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("place");
        QTest::addColumn<QString>("reason"); // said in the message

        QTest::newRow("UTF-16") << QByteArray("\xff\xfe[\0I\0t\0]\0\n\0", 12) << int(Plain)
                                << "UTF-16";
        QTest::newRow("binary") << QByteArray("\x7f"
                                              "ELF\x02\x01\x01\0\0\0",
                                              10)
                                << int(Plain) << "binary";
        QTest::newRow("not UTF-8")
            << QByteArray("[Italian]\nxxx=1\nn=7\nnote=caff\xe8\n") << int(Plain) << "UTF-8";
        QTest::newRow("link to a script")
            << QByteArray("#!/bin/sh\nexec other --daemon\n") << int(Link) << "line 2";
        QTest::newRow("link to another INI")
            << QByteArray("[Desktop Entry]\nName=Other\nExec=other\n") << int(Link) << "[Italian]";
        QTest::newRow("named pipe") << QByteArray() << int(Pipe) << "named pipe";
        QTest::newRow("no permission")
            << QByteArray("[Italian]\nxxx=1\nn=7\n") << int(NoPermission) << "permission";
    }

    // A file the tutor cannot read as its own is said once and never written
    // over, whatever it is; the tutor plays with first-run values.
    void foreignFileIsKept()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, place);
        QFETCH(QString, reason);
        TestEnvironment env;
        const QString file = env.settingsFile();
        const QString real = place == Link ? env.configHome() + "/other.conf" : file;
        if (place == Pipe) {
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        } else {
            QFile seed(real);
            QVERIFY(seed.open(QIODevice::WriteOnly) && seed.write(content) == content.size());
        }
        if (place == Link)
            QVERIFY(QFile::link(real, file));
        if (place == NoPermission && QFile(file).setPermissions({}) && QFileInfo(file).isReadable())
            QSKIP("the file system lets this user read any file (root)");

        QStringList problems;
        ProblemReport report([&problems](const QString& text) { problems << text; });
        SettingsStore store;
        store.setProblemReport(&report);
        PlaybackState state;
        store.loadSettings(state, 1024 * 15.0); // a pipe would block here
        QCOMPARE(state.repeats, qint16(2));
        store.saveSettings(state);
        store.saveExitSettings(state, 4320);
        QVERIFY(!store.flush());
        QCOMPARE(problems.size(), 1);
        QVERIFY2(problems.first().contains(file) && problems.first().contains(reason),
                 qPrintable(problems.first()));

        QCOMPARE(QFileInfo(file).isSymLink(), place == Link);
        QCOMPARE(QFileInfo(file).isFile(), place != Pipe);
        QFile(real).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        QFile kept(real);
        QVERIFY(place == Pipe || (kept.open(QIODevice::ReadOnly) && kept.readAll() == content));
        QCOMPARE(QDir(env.configHome()).entryList(QDir::Files | QDir::System).size(),
                 place == Link ? 2 : 1); // no temporary file left
    }

    // A write that fails (here at a file-size limit, as on a full disk) leaves
    // the old settings and log-on entry as they were, and says why.
    void failedWriteKeepsTheFiles()
    {
        TestEnvironment env;
        QStringList problems;
        ProblemReport report([&problems](const QString& text) { problems << text; });
        SettingsStore store;
        store.setProblemReport(&report);
        PlaybackState state;
        store.loadSettings(state, 1024 * 15.0);
        QCOMPARE(Autostart::enable("/opt/quorvel"), QString());
        const QByteArray settings = fileBytes(env.settingsFile());
        const QByteArray entry = fileBytes(Autostart::location());

        struct rlimit old = {};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
        const struct rlimit small = {16, old.rlim_max};
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        state.repeats = 9;
        store.saveSettings(state);
        const bool saved = store.flush();
        const QString entryProblem = Autostart::enable("/opt/moved/quorvel");
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);

        QVERIFY(!saved && !entryProblem.isEmpty());
        QCOMPARE(fileBytes(env.settingsFile()), settings);
        QCOMPARE(fileBytes(Autostart::location()), entry);
        QCOMPARE(problems.size(), 1);
        QVERIFY(problems.first().contains(env.settingsFile()) &&
                problems.first().contains("limit"));
        QCOMPARE(QDir(env.configHome()).entryList(QDir::Files).size(), 1);
        QVERIFY(store.flush()); // the way is clear again: the change is kept
        QVERIFY(fileBytes(env.settingsFile()).contains("\nn=9\n"));
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
