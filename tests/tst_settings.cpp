#include "TestEnvironment.h"
#include "UnexpectedWarnings.h"
#include "agent/SpeechPace.h"
#include "settings/IniDocument.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QLocale>
#include <QSettings>
#include <QTest>
#include <optional>

// A new learner's stored pace is the parrot's normal one.
static_assert(SettingKeys::find("sspeed").firstRun == SpeechPace::kNormal);

namespace {

using Writes = QList<QPair<QString, QString>>;
using Values = QMap<QString, QString>;

const Writes kFirstRun = {{"ce", "1"},    {"n", "2"},     {"ctime", "3"},      {"etime", "5"},
                          {"rd", "0"},    {"psave", "1"}, {"ssave", "1"},      {"visi", "0"},
                          {"voice", "1"}, {"guage", "1"}, {"guagen", "11000"}, {"red", "0"},
                          {"mark", "0"},  {"xxx", "1"},   {"left", "5680"},    {"sspeed", "150"}};
const Values kFirstRunValues(std::map<QString, QString>(kFirstRun.cbegin(), kFirstRun.cend()));

// The file's lines, read past QSettings (which would answer from memory).
QByteArrayList fileLines(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QByteArrayList();
}

struct Session { // a store loaded from whatever the file holds, recording its writes
    explicit Session(double screenTwips = 1024 * 15.0)
    {
        store.setWriteObserver([this](auto k, auto t) { writes.append({k, t}); });
        left = store.loadSettings(state, screenTwips);
    }
    Values loaded() const
    {
        Values values{{"xxx", state.firstRun}, {"left", QString::number(left)}};
        for (const SettingKey& key : SettingKeys::kTable)
            if (key.member)
                values.insert(QString::fromLatin1(key.name), QString::number(state.*key.member));
        return values;
    }
    SettingsStore store;
    PlaybackState state;
    Writes writes;
    double left = 0;
};

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

    std::optional<TestEnvironment> env; // a fresh settings folder for every test row

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German)); } // "left" keeps its '.'
    void init()
    {
        failOnUnexpectedWarnings();
        env.emplace();
    }

    void firstRunThenSaveSettings()
    {
        Session first;
        QCOMPARE(first.writes, kFirstRun);
        QVERIFY(fileLines(env->settingsFile()).contains("sspeed=150")); // on disk at once

        Session second(1600 * 15.0); // a new screen does not move a stored edge
        QVERIFY(second.writes.isEmpty());
        QCOMPARE(second.loaded(), kFirstRunValues);

        second.state.repeats = 12;
        second.state.firstRun = "0"; // "xxx" is always written as "1"
        second.store.saveSettings(second.state);
        const QStringList exitOnly{"voice", "guagen", "left"}; // the rest, in the same order
        Writes expected = kFirstRun;
        expected.removeIf([&](auto& w) { return exitOnly.contains(w.first); });
        expected[1].second = "12";
        QCOMPARE(second.writes, expected);
    }

    void saveExitSettings_data()
    {
        QTest::addColumn<int>("psave");
        QTest::addColumn<int>("rd");
        QTest::addColumn<QString>("left"); // as written: the shortest text of a float
        QTest::newRow("sequence, psave 1") << 1 << 1 << QString("3000");
        QTest::newRow("random, psave 1") << 1 << 0 << QString("5687.5");
        QTest::newRow("sequence, psave 0") << 0 << 1 << QString("-1250");
        QTest::newRow("rd 5, psave 1") << 1 << 5 << QString("1234.5679");
        QTest::newRow("sequence, psave 2") << 2 << 1 << QString("0");
    }
    void saveExitSettings()
    {
        QFETCH(int, psave);
        QFETCH(int, rd);
        QFETCH(QString, left);
        Session s;
        s.writes.clear();
        s.state.saveSchedule = qint16(psave);
        s.state.playMode = qint16(rd);
        s.state.readAloud = 2;
        s.state.nextSentence = 10417;
        s.store.saveExitSettings(s.state, left.toDouble());
        QVERIFY(s.store.flush());

        Writes expected{{"voice", "2"}, {"left", left}};
        if (psave == 1 && rd == 1)
            expected.append(qMakePair(QString("guagen"), QString("10417")));
        QCOMPARE(s.writes, expected);
        QCOMPARE(Session().left, double(left.toFloat())); // the next start reads it back
    }

    void fallback_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("expected");
        QTest::newRow("n empty") << QString("n") << QString("") << QString("2");
        QTest::newRow("n 12 kept") << QString("n") << QString("12") << QString("12");
        QTest::newRow("n 13") << QString("n") << QString("13") << QString("2");
        QTest::newRow("guage 11") << QString("guage") << QString("11") << QString("1");
        QTest::newRow("rd in hex") << QString("rd") << QString("0x1") << QString("0");
        QTest::newRow("guagen 32768") << QString("guagen") << QString("32768") << QString("11000");
        QTest::newRow("rd 5 kept") << QString("rd") << QString("5") << QString("5");
        QTest::newRow("ce 2 kept") << QString("ce") << QString("2") << QString("2");
        QTest::newRow("xxx 0 kept") << QString("xxx") << QString("0") << QString("0");
        QTest::newRow("left inf") << QString("left") << QString("inf") << QString("5680");
        // The reading pace is kept as stored, beyond what the parrot can
        // manage too (the parrot clamps what it is given).
        QTest::newRow("sspeed 9999 kept")
            << QString("sspeed") << QString("9999") << QString("9999");
        QTest::newRow("sspeed fast") << QString("sspeed") << QString("fast") << QString("150");
    }
    void fallback()
    {
        QFETCH(QString, key);
        QFETCH(QString, raw);
        QFETCH(QString, expected);
        Session{}.store.flush(); // a first run, then one value spoilt by hand
        QSettings(env->settingsFile(), QSettings::IniFormat).setValue("Italian/" + key, raw);
        Session s;
        QVERIFY(s.writes.isEmpty()); // the fallback lives in memory only
        Values values = kFirstRunValues;
        values[key] = expected;
        QCOMPARE(s.loaded(), values);
    }

    // A folder put in the file's place while the tutor runs makes a save
    // fail; once it is gone, the next save writes what the file held.
    void folderInPlaceThenCleared()
    {
        const QString file = env->settingsFile();
        QFile stored(file);
        QVERIFY(stored.open(QIODevice::WriteOnly) && stored.write("[Italian]\nxxx=1\nn=7\n"));
        stored.close();
        Session s;
        QVERIFY(QFile::remove(file) && QDir().mkdir(file));
        s.store.saveExitSettings(s.state, 4321.5);
        QVERIFY(!s.store.flush());
        // Gone then: the save writes what was read as well.
        QVERIFY(QDir(file).removeRecursively());
        QVERIFY(s.store.flush());
        QVERIFY(fileLines(file).contains("left=4321.5") && fileLines(file).contains("n=7"));
    }

    // The file may hold more than the tutor's keys, and may be edited while
    // the tutor runs: a save keeps all of it.
    void otherLinesSurvive()
    {
        QFile file(env->settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("; kept by hand\n[General]\nfoo=bar\n\n[Italian]\nxxx=1\nn=7\n"
                   "mine=\"  spaced \"\n");
        file.close();
        Session s;
        QVERIFY(file.open(QIODevice::Append));
        file.write("[Later]\nadded=while running\n");
        file.close();
        s.store.saveExitSettings(s.state, 3000);
        QVERIFY(s.store.flush());
        const QByteArrayList lines = fileLines(env->settingsFile());
        for (const QByteArray line : {"; kept by hand", "[General]", "foo=bar", "[Italian]", "n=7",
                                      "mine=\"  spaced \"", "left=3000", "added=while running"})
            QVERIFY2(lines.contains(line), line.constData());
        QVERIFY(lines.indexOf("[Later]") > lines.indexOf("left=3000"));
    }

    // What is read from the file, and what is not the tutor's file at all.
    void document_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("read"); // the values, or a word of the problem
        QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBF[Italian]\nn=7\n") << "n=7";
        QTest::newRow("tab, spaces, CR") << QByteArray("[ Italian ]\r\n n =\t7 \r\n") << "n=7";
        QTest::newRow("quoted") << QByteArray("[Italian]\nn=\" a\\\"b\\n\"\n") << "n= a\"b\n";
        QTest::newRow("other section") << QByteArray("[Other]\nn=7\n[Italian]\nce=0\n") << "ce=0";
        QTest::newRow("no key") << QByteArray("[Italian]\n=7\n") << "line 2";
        QTest::newRow("not ours") << QByteArray("[Other]\nn=7\n") << "[Italian]";
    }
    void document()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, read);
        const IniDocument document(bytes, "Italian");
        QStringList values;
        for (auto [key, value] : document.values().asKeyValueRange())
            values << key + '=' + value;
        QVERIFY2(document.problem().isEmpty() ? values.join(' ') == read
                                              : document.problem().contains(read),
                 qPrintable(document.problem() + values.join(' ')));
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
