#include "FakeDesktop.h"
#include "FakeSpeechOutput.h"
#include "TestEnvironment.h"
#include "agent/AgentControl.h"
#include "agent/Character.h"
#include "agent/DesktopCharacter.h"
#include "app/Form1.h"
#include "content/Corpus.h"
#include "content/Numbering.h"
#include "settings/PlaybackState.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"
#include "ui/Form2.h"
#include "ui/Form3.h"
#include "ui/Form7.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMap>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <memory>
#include <stdexcept>

namespace {

using Texts = QMap<QString, QString>;
using Values = QMap<QString, int>;

// What stands where the settings file should be.
enum Obstacle {
    NoObstacle,       // the file holds the row's bytes
    DirectoryInPlace, // Brix.conf is a directory: nothing can be read or written
    FolderBelowFile,  // the config folder lies below a regular file
};

const QString kSettingsName = QStringLiteral("Brix.conf");
const QString kFirstRunLeft = QStringLiteral("5680"); // 1024 px * 15 / 2 - 2000
// Enough Timer5 ticks for a few pairs at the longest times.
constexpr int kTickLimit = 20000;
constexpr int kWelcomeLimit = 200;

QByteArray binaryGarbage()
{
    QByteArray bytes;
    for (int i = 0; i < 700; ++i)
        bytes.append(static_cast<char>((i * 7919 + 13) % 256));
    return bytes;
}

// Every key of the file as its first run writes it.
Texts firstRunFile()
{
    return {{"ce", "1"},    {"n", "2"},     {"ctime", "3"},          {"etime", "5"},
            {"rd", "0"},    {"psave", "1"}, {"ssave", "1"},          {"visi", "0"},
            {"voice", "1"}, {"guage", "1"}, {"guagen", "11000"},     {"red", "0"},
            {"mark", "0"},  {"xxx", "1"},   {"left", kFirstRunLeft}, {"sspeed", "150"}};
}

// Reads [Italian] straight from the bytes on disk (QSettings would answer
// from the copy it keeps in memory). A missing file gives nothing.
Texts readBack(const QString& path)
{
    Texts texts;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return texts;
    bool inside = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inside = line == QLatin1String("[Italian]");
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (inside && eq > 0)
            texts.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return texts;
}

bool messageBoxOpen()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMessageBox*>(widget) && widget->isVisible())
            return true;
    }
    return false;
}

// A character whose speech and wave fail every time.
class FailingCharacter : public Character {
public:
    void Show() override {}
    void Hide() override {}
    void Speak(const QString&) override { throw std::runtime_error("no speech"); }
    void Play(const QString&) override { throw std::runtime_error("no animation"); }
    void setLanguageID(int) override {}
    void MoveTo(const QPoint&) override {}
    void Raise() override {}
};

// A strip on a fake 1024x768 desktop, built once the config folder is in
// whatever state the test left it; Exit only counts.
struct Strip {
    explicit Strip(CharacterCollection::Factory factory)
        : agent(std::move(factory)), form(state, corpus, store, agent, desktop)
    {
        form.setMessageHandler([this](const QString& text) { messages << text; });
        form.menuHolder().setExitHandler([this] { ++exits; });
    }

    FakeDesktop desktop;
    PlaybackState state;
    Corpus corpus;
    SettingsStore store;
    AgentControl agent;
    Form1 form;
    QStringList messages;
    int exits = 0;
};

// What playing showed.
struct Played {
    int loads = 0;
    bool italianShown = false;
    bool englishShown = false;
    QList<int> numbers; // sentence numbers of the loaded pairs
};

int numberOnShow(const Strip& strip)
{
    for (int page = Numbering::kFirstPage; page <= Numbering::kLastPage; ++page) {
        for (int line = 1; line <= Numbering::kLinesPerPage; ++line) {
            const int n = Numbering::sentence(page, line);
            if (strip.corpus.lookup(n) == strip.form.mstrItalian &&
                strip.corpus.lookup(Numbering::englishKey(n)) == strip.form.mstrEnglish)
                return n;
        }
    }
    return 0;
}

// Runs the welcome, then the display cycle until `pairs` more pairs have
// been loaded. Timer4 (80 ms) and Timer3 (50 ms) are stepped beside each
// 100 ms tick of Timer5, and Timer1 (60 ms) about as often.
Played play(Strip& strip, int pairs)
{
    Form1& form = strip.form;
    PlaybackState& state = strip.state;
    Played played;
    for (int i = 0; i < kWelcomeLimit && !form.Timer5->isActive(); ++i)
        form.Timer1_Timer();
    for (int tick = 0; tick < kTickLimit && played.loads < pairs; ++tick) {
        const bool loads = state.gintCycle >= state.gintRepeats;
        form.Timer5_Timer();
        if (loads) {
            ++played.loads;
            played.numbers << numberOnShow(strip);
        }
        if (form.Timer4->isActive())
            form.Timer4_Timer();
        for (int i = 0; i < 2 && form.Timer3->isActive(); ++i)
            form.Timer3_Timer();
        form.Timer1_Timer();
        if (tick % 2 == 0)
            form.Timer1_Timer();
        played.italianShown |= form.Label1->text() == QLatin1Char(' ') + form.mstrItalian;
        played.englishShown |= form.label2TopTwips() == 60 &&
                               form.Label2->text() == QLatin1Char(' ') + form.mstrEnglish;
    }
    return played;
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void damagedSettings_data();
    void damagedSettings();
    void withoutSpeech_data();
    void withoutSpeech();

private:
    void prepare(const TestEnvironment& env, Obstacle obstacle, const QByteArray& content);
    void mend(const TestEnvironment& env, Obstacle obstacle);
};

void TestFaults::damagedSettings_data()
{
    QTest::addColumn<int>("obstacle");
    QTest::addColumn<QByteArray>("content");
    // In-memory values that differ from the first run ("guagen" aside).
    QTest::addColumn<Values>("values");
    // The sentences the first pair may come from.
    QTest::addColumn<int>("firstFrom");
    QTest::addColumn<int>("firstTo");
    // The topic every pair comes from.
    QTest::addColumn<int>("topic");
    // Whether start-up replaced the file with the first-run values.
    QTest::addColumn<bool>("firstRunWritten");
    // The file after Exit, read back from the disk ("" = absent).
    QTest::addColumn<Texts>("afterExit");

    QTest::newRow("binary garbage") << int(NoObstacle) << binaryGarbage() << Values{} << 10101
                                    << 10128 << 1 << true << firstRunFile();
    QTest::newRow("empty file") << int(NoObstacle) << QByteArray() << Values{} << 10101 << 10128
                                << 1 << true << firstRunFile();

    // Cut short in the middle of "etime=12" by whatever wrote it last: the
    // 1 left over is below the range and falls back; the rest is kept.
    Texts cutValue{{"xxx", "1"},        {"ce", "0"},    {"n", "7"},
                   {"rd", "1"},         {"guage", "4"}, {"ctime", "9"},
                   {"etime", "1"},      {"voice", "1"}, {"left", kFirstRunLeft},
                   {"guagen", "10410"}, {"visi", ""}};
    QTest::newRow("truncated in a value")
        << int(NoObstacle)
        << QByteArray("[Italian]\nxxx=1\nce=0\nn=7\nrd=1\nguage=4\nguagen=10407\nctime=9\netime=1")
        << Values{{"ce", 0}, {"n", 7}, {"rd", 1}, {"guage", 4}, {"ctime", 9}} << 10407 << 10407 << 4
        << false << cutValue;

    // Cut in the middle of a key name: that line is lost, the rest is kept.
    Texts cutKey{{"xxx", "1"},   {"ce", "0"},      {"n", "1"},     {"visi", "1"},
                 {"voice", "0"}, {"sspeed", "90"}, {"ctime", "4"}, {"left", kFirstRunLeft},
                 {"guagen", ""}, {"etime", ""}};
    QTest::newRow("truncated in a key")
        << int(NoObstacle)
        << QByteArray("[Italian]\nxxx=1\nce=0\nn=1\nvisi=1\nvoice=0\nsspeed=90\nctime=4\neti")
        << Values{{"ce", 0}, {"n", 1}, {"visi", 1}, {"voice", 0}, {"sspeed", 90}, {"ctime", 4}}
        << 10101 << 10128 << 1 << false << cutKey;

    QTest::newRow("a directory in its place") << int(DirectoryInPlace) << QByteArray() << Values{}
                                              << 10101 << 10128 << 1 << false << firstRunFile();
    QTest::newRow("config folder below a file") << int(FolderBelowFile) << QByteArray() << Values{}
                                                << 10101 << 10128 << 1 << false << firstRunFile();
}

void TestFaults::prepare(const TestEnvironment& env, Obstacle obstacle, const QByteArray& content)
{
    switch (obstacle) {
    case NoObstacle: {
        QFile file(env.settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(content), content.size());
        break;
    }
    case DirectoryInPlace:
        QVERIFY(QDir().mkpath(env.settingsFile() + QStringLiteral("/inside")));
        break;
    case FolderBelowFile: {
        // Nothing can be made below a regular file, whoever runs the test.
        const QString blocker = QDir(env.configHome()).filePath(QStringLiteral("file"));
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const QString below = blocker + QStringLiteral("/sub");
        qputenv("XDG_CONFIG_HOME", below.toLocal8Bit());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, below);
        break;
    }
    }
}

// The learner clears the way; the running tutor is not restarted.
void TestFaults::mend(const TestEnvironment& env, Obstacle obstacle)
{
    if (obstacle == DirectoryInPlace)
        QVERIFY(QDir(env.settingsFile()).removeRecursively());
    if (obstacle == FolderBelowFile)
        QVERIFY(QFile::remove(QDir(env.configHome()).filePath(QStringLiteral("file"))));
}

// A settings file that cannot be read or written never stops the tutor,
// never brings up a message, and loses nothing that can be kept.
void TestFaults::damagedSettings()
{
    QFETCH(int, obstacle);
    QFETCH(QByteArray, content);
    QFETCH(Values, values);
    QFETCH(int, firstFrom);
    QFETCH(int, firstTo);
    QFETCH(int, topic);
    QFETCH(bool, firstRunWritten);
    QFETCH(Texts, afterExit);

    TestEnvironment env;
    prepare(env, Obstacle(obstacle), content);
    if (QTest::currentTestFailed())
        return;
    const QString file =
        obstacle == FolderBelowFile
            ? QDir(env.configHome()).filePath(QStringLiteral("file/sub/")) + kSettingsName
            : env.settingsFile();
    Strip strip([](const QString&, const QString&) -> std::unique_ptr<Character> {
        return std::make_unique<FailingCharacter>();
    });
    QCOMPARE(strip.store.fileName(), file);
    strip.form.Form_Load();

    // First-run values where the file gave nothing usable, the rest kept.
    for (const SettingKey& key : SettingKeys::kTable) {
        const QString name = QString::fromLatin1(key.name.data(), qsizetype(key.name.size()));
        if (key.kind != SettingKind::Integer || name == QLatin1String("guagen"))
            continue;
        QVERIFY2(strip.state.*key.member == values.value(name, key.firstRun), qPrintable(name));
    }
    QCOMPARE(strip.form.leftTwips(), kFirstRunLeft.toDouble());
    const int first = numberOnShow(strip);
    QVERIFY2(first >= firstFrom && first <= firstTo, qPrintable(QString::number(first)));
    if (firstRunWritten)
        QCOMPARE(readBack(file), firstRunFile());
    if (obstacle == NoObstacle && !firstRunWritten) {
        QFile again(file);
        QVERIFY(again.open(QIODevice::ReadOnly));
        QCOMPARE(again.readAll(), content); // nothing written before Exit
    }

    // It plays: the welcome, then two more pairs with both lines shown.
    const Played played = play(strip, 2);
    QCOMPARE(played.loads, 2);
    QVERIFY(played.italianShown);
    QVERIFY(played.englishShown);
    for (int n : played.numbers)
        QVERIFY2(Numbering::page(n) == topic && Numbering::isSentence(n),
                 qPrintable(QString::number(n)));
    QVERIFY(strip.messages.isEmpty());
    QVERIFY(!messageBoxOpen());

    Form2& menu = strip.form.menuHolder();
    if (obstacle != NoObstacle) {
        // Exit while the way is still blocked: it ends all the same.
        menu.mnu_exit_Click();
        QCOMPARE(strip.exits, 1);
        QVERIFY(readBack(file).isEmpty());
        mend(env, Obstacle(obstacle));
        if (QTest::currentTestFailed())
            return;
    }
    menu.mnu_exit_Click();
    QCOMPARE(strip.exits, obstacle != NoObstacle ? 2 : 1);
    QVERIFY(strip.messages.isEmpty());
    QVERIFY(!messageBoxOpen());

    const Texts stored = readBack(file);
    for (auto it = afterExit.cbegin(); it != afterExit.cend(); ++it) {
        if (it.value().isEmpty())
            QVERIFY2(!stored.contains(it.key()), qPrintable(it.key()));
        else
            QCOMPARE(stored.value(it.key()), it.value());
    }
}

void TestFaults::withoutSpeech_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("hasCharacter");

    QTest::newRow("no character") << 0 << false;
    QTest::newRow("speech and wave fail") << 1 << true;
    QTest::newRow("parrot without a speech engine") << 2 << true;
    QTest::newRow("parrot whose engine never comes up") << 3 << true;
}

// No speech engine, no character, a character that fails: the lines play on.
void TestFaults::withoutSpeech()
{
    QFETCH(int, kind);
    QFETCH(bool, hasCharacter);

    TestEnvironment env;
    FakeSpeechOutput* engine = nullptr;
    Strip strip([kind, &engine](const QString&, const QString&) -> std::unique_ptr<Character> {
        switch (kind) {
        case 1:
            return std::make_unique<FailingCharacter>();
        case 2:
        case 3: {
            auto speech = std::make_unique<FakeSpeechOutput>(
                QList<QLocale>{QLocale(QLocale::Italian, QLocale::Italy)});
            speech->broken = kind == 2;
            speech->startsAtOnce = kind == 2;
            engine = speech.get();
            auto parrot = std::make_unique<DesktopCharacter>(std::move(speech));
            parrot->setClock([] { return qint64(0); });
            return parrot;
        }
        default:
            return nullptr;
        }
    });
    strip.form.Form_Load();
    QCOMPARE(strip.form.mobjAgent != nullptr, hasCharacter);

    const Played played = play(strip, 3);
    QCOMPARE(played.loads, 3);
    QVERIFY(played.italianShown);
    QVERIFY(played.englishShown);
    // Each pair had its two display cycles; the cycle is under way again.
    QCOMPARE(strip.state.gintCycle, qint16(0));
    QVERIFY(strip.form.Timer5->isActive());
    QVERIFY(strip.messages.isEmpty());
    QVERIFY(!messageBoxOpen());
    if (engine)
        QVERIFY(engine->said.isEmpty()); // silent, not stuck
    if (kind == 2)
        QVERIFY(!static_cast<DesktopCharacter*>(strip.form.mobjAgent)->voice().has_value());

    // And Exit still stores.
    strip.form.menuHolder().mnu_exit_Click();
    QCOMPARE(strip.exits, 1);
    QCOMPARE(readBack(env.settingsFile()).value(QStringLiteral("voice")), QStringLiteral("1"));
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
