#include "FakeDesktop.h"
#include "RecordingCharacter.h"
#include "TestEnvironment.h"
#include "UnexpectedWarnings.h"
#include "agent/AgentControl.h"
#include "content/Corpus.h"
#include "playback/PairSource.h"
#include "settings/ProblemReport.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"
#include "strip/CaptionStrip.h"

#include <QDir>
#include <QTest>
#include <QTimer>
#include <stdexcept>

namespace {

using Values = QMap<QString, int>;
enum Obstacle { NoObstacle, DirectoryInPlace, FolderBelowFile, ForeignContent };

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
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
