#include "TestEnvironment.h"
#include "settings/PlaybackState.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QScopeGuard>
#include <QSettings>
#include <QTest>
#include <random>

namespace {

using Writes = QList<QPair<QString, QString>>;

constexpr double kScreenTwips = 1024 * 15; // a 1024-pixel screen at 96 DPI

// A store that has been used for a while, every value unlike its first-run one.
const QList<QPair<QString, QString>> kUsedStore = {
    {"ce", "0"},    {"n", "4"},     {"ctime", "6"},      {"etime", "8"},
    {"rd", "1"},    {"psave", "0"}, {"ssave", "0"},      {"visi", "1"},
    {"voice", "0"}, {"guage", "3"}, {"guagen", "10305"}, {"red", "7"},
    {"mark", "1"},  {"xxx", "1"},   {"left", "1234.5"},  {"sspeed", "99"}};

qint16* member(PlaybackState& state, const QString& key)
{
    const QList<QPair<QString, qint16 PlaybackState::*>> members = {
        {"ce", &PlaybackState::gintLanguageOrder},      {"n", &PlaybackState::gintRepeats},
        {"ctime", &PlaybackState::gintEnglishTime},     {"etime", &PlaybackState::gintItalianTime},
        {"rd", &PlaybackState::gintPlayMode},           {"psave", &PlaybackState::gintSaveSchedule},
        {"ssave", &PlaybackState::gintSaveSettings},    {"visi", &PlaybackState::gintAutoHide},
        {"voice", &PlaybackState::gintReadAloud},       {"guage", &PlaybackState::gintTopic},
        {"guagen", &PlaybackState::gintNextSentence},   {"red", &PlaybackState::gintRed},
        {"mark", &PlaybackState::gintStartWithWindows}, {"sspeed", &PlaybackState::gintSpeed}};
    for (const auto& [name, field] : members) {
        if (name == key)
            return &(state.*field);
    }
    return nullptr;
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The group's values as the file on disk holds them, read without QSettings
// (which would answer from its in-memory copy).
QMap<QString, QString> groupOnDisk(const QString& path)
{
    QMap<QString, QString> values;
    bool inGroup = false;
    for (const QByteArray& line : readBytes(path).split('\n')) {
        if (line.startsWith('[')) {
            inGroup = line == "[Italian]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (inGroup && equals > 0)
            values.insert(QString::fromUtf8(line.left(equals)),
                          QString::fromUtf8(line.mid(equals + 1)));
    }
    return values;
}

QByteArray usedStoreText(const QString& replacedKey = QString(),
                         const QByteArray& raw = QByteArray(), bool present = true)
{
    QByteArray text = "[Italian]\n";
    for (const auto& [key, value] : kUsedStore) {
        if (key != replacedKey)
            text += key.toLatin1() + '=' + value.toLatin1() + '\n';
        else if (present)
            text += key.toLatin1() + '=' + raw + '\n';
    }
    return text;
}

void recordWrites(SettingsStore& store, Writes& writes)
{
    store.setWriteObserver([&writes](const QString& key, const QString& text) {
        writes.append({key, text});
    });
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstRunWritesEveryKeyInOrder();
    void firstRunLeft_data();
    void firstRunLeft();
    void secondStartRewritesNothing();
    void firstRunMarker_data();
    void firstRunMarker();
    void saveSettingsWritesTheDialogKeys();
    void saveExitSettings_data();
    void saveExitSettings();
    void leftText_data();
    void leftText();
    void fallback_data();
    void fallback();
    void damagedFile_data();
    void damagedFile();
    void damagedFileThenUnwritable();
    void settingsPathTaken();
    void readOnlyFolder();
};

void TestSettings::firstRunWritesEveryKeyInOrder()
{
    TestEnvironment env;
    SettingsStore store;
    QCOMPARE(store.fileName(), env.settingsFile());
    Writes writes;
    recordWrites(store, writes);
    PlaybackState state;

    const double left = store.Load_Settings(state, kScreenTwips);

    const Writes expected = {
        {"ce", "1"},    {"n", "2"},     {"ctime", "3"},      {"etime", "5"},
        {"rd", "0"},    {"psave", "1"}, {"ssave", "1"},      {"visi", "0"},
        {"voice", "1"}, {"guage", "1"}, {"guagen", "11000"}, {"red", "0"},
        {"mark", "0"},  {"xxx", "1"},   {"left", "5680"},    {"sspeed", "150"}};
    QCOMPARE(writes, expected);
    QCOMPARE(left, 5680.0);

    // Already on disk, without waiting for the event loop or an exit.
    const QMap<QString, QString> disk = groupOnDisk(env.settingsFile());
    QCOMPARE(disk.size(), 16);
    for (const auto& [key, text] : expected)
        QCOMPARE(disk.value(key), text);

    // ...and in memory.
    for (const auto& [key, text] : expected) {
        if (qint16* field = member(state, key))
            QCOMPARE(*field, text.toShort());
    }
    QCOMPARE(state.gstrFirstRun, QStringLiteral("1"));
}

void TestSettings::firstRunLeft_data()
{
    QTest::addColumn<double>("screenTwips");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("left");

    QTest::newRow("1024 px at 15") << 1024 * 15.0 << "5680" << 5680.0;
    QTest::newRow("1280 px at 15") << 1280 * 15.0 << "7600" << 7600.0;
    QTest::newRow("1025 px at 15") << 1025 * 15.0 << "5687.5" << 5687.5;
    QTest::newRow("1920 px at 12") << 1920 * 12.0 << "9520" << 9520.0;
    QTest::newRow("narrow screen") << 200 * 15.0 << "-500" << -500.0;
}

void TestSettings::firstRunLeft()
{
    QFETCH(double, screenTwips);
    QFETCH(QString, text);
    QFETCH(double, left);

    TestEnvironment env;
    SettingsStore store;
    PlaybackState state;
    QCOMPARE(store.Load_Settings(state, screenTwips), left);
    QCOMPARE(groupOnDisk(env.settingsFile()).value("left"), text);
}

void TestSettings::secondStartRewritesNothing()
{
    TestEnvironment env;
    {
        SettingsStore first;
        PlaybackState state;
        first.Load_Settings(state, kScreenTwips);
    }
    const QByteArray before = readBytes(env.settingsFile());
    QVERIFY(!before.isEmpty());

    SettingsStore second;
    Writes writes;
    recordWrites(second, writes);
    PlaybackState state;
    // A different screen must not move a stored left edge either.
    QCOMPARE(second.Load_Settings(state, 1600 * 15.0), 5680.0);
    QVERIFY(second.flush());

    QVERIFY(writes.isEmpty());
    QCOMPARE(readBytes(env.settingsFile()), before);
    QCOMPARE(state.gintNextSentence, qint16(11000));
}

void TestSettings::firstRunMarker_data()
{
    QTest::addColumn<QByteArray>("markerLine");
    QTest::addColumn<bool>("firstRun");
    QTest::addColumn<QString>("marker");

    QTest::newRow("absent") << QByteArray() << true << "1";
    QTest::newRow("empty") << QByteArray("xxx=\n") << true << "1";
    QTest::newRow("zero") << QByteArray("xxx=0\n") << false << "0";
    QTest::newRow("one") << QByteArray("xxx=1\n") << false << "1";
    QTest::newRow("any text") << QByteArray("xxx=yes\n") << false << "yes";
    QTest::newRow("text with a comma") << QByteArray("xxx=a,b\n") << false << "a,b";
}

void TestSettings::firstRunMarker()
{
    QFETCH(QByteArray, markerLine);
    QFETCH(bool, firstRun);
    QFETCH(QString, marker);

    TestEnvironment env;
    writeBytes(env.settingsFile(), "[Italian]\nn=7\nguagen=10512\n" + markerLine);
    const QByteArray before = readBytes(env.settingsFile());
    SettingsStore store;
    Writes writes;
    recordWrites(store, writes);
    PlaybackState state;
    store.Load_Settings(state, kScreenTwips);

    QCOMPARE(writes.size(), firstRun ? 16 : 0);
    QCOMPARE(state.gstrFirstRun, marker);
    QCOMPARE(state.gintRepeats, qint16(firstRun ? 2 : 7));
    QCOMPARE(state.gintNextSentence, qint16(firstRun ? 11000 : 10512));
    if (!firstRun)
        QCOMPARE(readBytes(env.settingsFile()), before);
}

void TestSettings::saveSettingsWritesTheDialogKeys()
{
    TestEnvironment env;
    writeBytes(env.settingsFile(), usedStoreText());
    SettingsStore store;
    PlaybackState state;
    store.Load_Settings(state, kScreenTwips);
    Writes writes;
    recordWrites(store, writes);

    state.gintLanguageOrder = 1;
    state.gintRepeats = 12;
    state.gintEnglishTime = 15;
    state.gintItalianTime = 9;
    state.gintPlayMode = 0;
    state.gintSaveSchedule = 1;
    state.gintSaveSettings = 1;
    state.gintAutoHide = 0;
    state.gintTopic = 0;
    state.gintStartWithWindows = 0;
    state.gstrFirstRun = QStringLiteral("0"); // "xxx" is always written as "1"
    state.gintReadAloud = 1;                  // these three are Exit's
    state.gintNextSentence = 10101;
    store.Save_Settings(state);
    QVERIFY(store.flush());

    const Writes expected = {{"ce", "1"},     {"n", "12"},    {"ctime", "15"}, {"etime", "9"},
                             {"rd", "0"},     {"psave", "1"}, {"ssave", "1"},  {"visi", "0"},
                             {"guage", "0"},  {"red", "7"},   {"mark", "0"},   {"xxx", "1"},
                             {"sspeed", "99"}};
    QCOMPARE(writes, expected);
    const QMap<QString, QString> disk = groupOnDisk(env.settingsFile());
    for (const auto& [key, text] : expected)
        QCOMPARE(disk.value(key), text);
    QCOMPARE(disk.value("voice"), QStringLiteral("0"));
    QCOMPARE(disk.value("guagen"), QStringLiteral("10305"));
    QCOMPARE(disk.value("left"), QStringLiteral("1234.5"));
}

void TestSettings::saveExitSettings_data()
{
    QTest::addColumn<int>("psave");
    QTest::addColumn<int>("rd");
    QTest::addColumn<bool>("storesPosition");

    QTest::newRow("sequence, psave on") << 1 << 1 << true;
    QTest::newRow("random, psave on") << 1 << 0 << false;
    QTest::newRow("sequence, psave off") << 0 << 1 << false;
    QTest::newRow("random, psave off") << 0 << 0 << false;
    QTest::newRow("rd 5, psave on") << 1 << 5 << false;
    QTest::newRow("sequence, psave 2") << 2 << 1 << false;
}

void TestSettings::saveExitSettings()
{
    QFETCH(int, psave);
    QFETCH(int, rd);
    QFETCH(bool, storesPosition);

    TestEnvironment env;
    writeBytes(env.settingsFile(), usedStoreText());
    SettingsStore store;
    PlaybackState state;
    store.Load_Settings(state, kScreenTwips);
    Writes writes;
    recordWrites(store, writes);

    state.gintSaveSchedule = qint16(psave);
    state.gintPlayMode = qint16(rd);
    state.gintNextSentence = 10417;
    state.gintReadAloud = 1;
    state.gintRepeats = 9; // not Exit's to store
    store.Save_Exit_Settings(state, 3000.0);
    QVERIFY(store.flush());

    Writes expected = {{"voice", "1"}, {"left", "3000"}};
    if (storesPosition)
        expected.append(QPair<QString, QString>("guagen", "10417"));
    QCOMPARE(writes, expected);
    const QMap<QString, QString> disk = groupOnDisk(env.settingsFile());
    QCOMPARE(disk.value("voice"), QStringLiteral("1"));
    QCOMPARE(disk.value("left"), QStringLiteral("3000"));
    QCOMPARE(disk.value("guagen"),
             storesPosition ? QStringLiteral("10417") : QStringLiteral("10305"));
    QCOMPARE(disk.value("n"), QStringLiteral("4"));
}

void TestSettings::leftText_data()
{
    QTest::addColumn<double>("left");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("locale");

    QTest::newRow("whole") << 5680.0 << "5680"
                           << "C";
    QTest::newRow("half") << 5687.5 << "5687.5"
                          << "C";
    QTest::newRow("negative") << -1250.0 << "-1250"
                              << "C";
    QTest::newRow("zero") << 0.0 << "0"
                          << "C";
    QTest::newRow("single precision") << 1234.56789 << "1234.5679"
                                      << "C";
    QTest::newRow("large") << 123456789.0 << "123456792"
                           << "C";
    QTest::newRow("German locale") << 5687.5 << "5687.5"
                                   << "de_DE";
    QTest::newRow("French locale") << -12.25 << "-12.25"
                                   << "fr_FR";
}

void TestSettings::leftText()
{
    QFETCH(double, left);
    QFETCH(QString, text);
    QFETCH(QString, locale);

    const QLocale previous;
    QLocale::setDefault(QLocale(locale));
    const auto restore = qScopeGuard([&] { QLocale::setDefault(previous); });

    TestEnvironment env;
    writeBytes(env.settingsFile(), usedStoreText());
    {
        SettingsStore store;
        PlaybackState state;
        store.Load_Settings(state, kScreenTwips);
        store.Save_Exit_Settings(state, left);
        QVERIFY(store.flush());
    }
    QCOMPARE(groupOnDisk(env.settingsFile()).value("left"), text);

    SettingsStore next;
    PlaybackState state;
    QCOMPARE(next.Load_Settings(state, kScreenTwips), double(float(left)));
}

void TestSettings::fallback_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<bool>("present");
    QTest::addColumn<double>("expected");

    QTest::newRow("n absent") << "n" << QByteArray() << false << 2.0;
    QTest::newRow("n empty") << "n" << QByteArray("") << true << 2.0;
    QTest::newRow("n abc") << "n" << QByteArray("abc") << true << 2.0;
    QTest::newRow("n 13") << "n" << QByteArray("13") << true << 2.0;
    QTest::newRow("n 0") << "n" << QByteArray("0") << true << 2.0;
    QTest::newRow("n 12") << "n" << QByteArray("12") << true << 12.0;
    QTest::newRow("n 3.5") << "n" << QByteArray("3.5") << true << 2.0;
    QTest::newRow("n hex") << "n" << QByteArray("0x5") << true << 2.0;
    QTest::newRow("n list") << "n" << QByteArray("1,2") << true << 2.0;
    QTest::newRow("n quoted blanks") << "n" << QByteArray("\" 7 \"") << true << 7.0;
    QTest::newRow("ctime 2") << "ctime" << QByteArray("2") << true << 3.0;
    QTest::newRow("ctime 15") << "ctime" << QByteArray("15") << true << 15.0;
    QTest::newRow("etime 4") << "etime" << QByteArray("4") << true << 5.0;
    QTest::newRow("etime 16") << "etime" << QByteArray("16") << true << 5.0;
    QTest::newRow("guage 11") << "guage" << QByteArray("11") << true << 1.0;
    QTest::newRow("guage -1") << "guage" << QByteArray("-1") << true << 1.0;
    QTest::newRow("guage 10") << "guage" << QByteArray("10") << true << 10.0;
    QTest::newRow("psave 2") << "psave" << QByteArray("2") << true << 1.0;
    QTest::newRow("ssave -1") << "ssave" << QByteArray("-1") << true << 1.0;
    QTest::newRow("visi 5") << "visi" << QByteArray("5") << true << 0.0;
    QTest::newRow("mark 3") << "mark" << QByteArray("3") << true << 0.0;
    QTest::newRow("ce 2 kept") << "ce" << QByteArray("2") << true << 2.0;
    QTest::newRow("ce -1 kept") << "ce" << QByteArray("-1") << true << -1.0;
    QTest::newRow("ce empty") << "ce" << QByteArray("") << true << 1.0;
    QTest::newRow("rd 5 kept") << "rd" << QByteArray("5") << true << 5.0;
    QTest::newRow("voice 2 kept") << "voice" << QByteArray("2") << true << 2.0;
    QTest::newRow("guagen 99999") << "guagen" << QByteArray("99999") << true << 11000.0;
    QTest::newRow("guagen 32767") << "guagen" << QByteArray("32767") << true << 32767.0;
    QTest::newRow("guagen 32768") << "guagen" << QByteArray("32768") << true << 11000.0;
    QTest::newRow("guagen 1e3") << "guagen" << QByteArray("1e3") << true << 11000.0;
    QTest::newRow("red -40000") << "red" << QByteArray("-40000") << true << 0.0;
    QTest::newRow("red -32768") << "red" << QByteArray("-32768") << true << -32768.0;
    QTest::newRow("sspeed abc") << "sspeed" << QByteArray("abc") << true << 150.0;
    QTest::newRow("left abc") << "left" << QByteArray("abc") << true << 5680.0;
    QTest::newRow("left nan") << "left" << QByteArray("nan") << true << 5680.0;
    QTest::newRow("left inf") << "left" << QByteArray("-inf") << true << 5680.0;
    QTest::newRow("left beyond float") << "left" << QByteArray("1e39") << true << 5680.0;
    QTest::newRow("left empty") << "left" << QByteArray("") << true << 5680.0;
    QTest::newRow("left absent") << "left" << QByteArray() << false << 5680.0;
    QTest::newRow("left 5687.5") << "left" << QByteArray("5687.5") << true << 5687.5;
    QTest::newRow("left -300") << "left" << QByteArray("-300") << true << -300.0;
}

void TestSettings::fallback()
{
    QFETCH(QString, key);
    QFETCH(QByteArray, raw);
    QFETCH(bool, present);
    QFETCH(double, expected);

    TestEnvironment env;
    writeBytes(env.settingsFile(), usedStoreText(key, raw, present));
    const QByteArray before = readBytes(env.settingsFile());
    SettingsStore store;
    Writes writes;
    recordWrites(store, writes);
    PlaybackState state;

    const double left = store.Load_Settings(state, kScreenTwips);

    // Every other key keeps its stored value.
    for (const auto& [name, text] : kUsedStore) {
        if (name == key)
            continue;
        if (name == "left")
            QCOMPARE(left, 1234.5);
        else if (name == "xxx")
            QCOMPARE(state.gstrFirstRun, text);
        else
            QCOMPARE(*member(state, name), text.toShort());
    }
    QCOMPARE(key == "left" ? left : double(*member(state, key)), expected);
    // The fallback lives in memory only.
    QVERIFY(writes.isEmpty());
    QVERIFY(store.flush());
    QCOMPARE(readBytes(env.settingsFile()), before);
}

void TestSettings::damagedFile_data()
{
    QTest::addColumn<QByteArray>("tail");

    // Fixed seed: the same garbage every run.
    std::mt19937 generator(20240517);
    QByteArray garbage;
    for (int i = 0; i < 2048; ++i)
        garbage.append(char(generator() & 0xff));
    QByteArray allBytes;
    for (int i = 0; i < 256; ++i)
        allBytes.append(char(i));

    QTest::newRow("binary garbage") << garbage;
    QTest::newRow("every byte value") << allBytes;
    QTest::newRow("truncated line") << QByteArray("guag");
    QTest::newRow("truncated section header") << QByteArray("[Ital");
    QTest::newRow("invalid UTF-8") << QByteArray("guage=\xff\xfe\x80\nvisi=\xc3\x28\n");
    QTest::newRow("NUL bytes") << QByteArray("etime=\0\0\0\n", 10);
}

void TestSettings::damagedFile()
{
    QFETCH(QByteArray, tail);

    TestEnvironment env;
    writeBytes(env.settingsFile(), "[Italian]\nxxx=1\nn=7\nctime=9\n" + tail);
    SettingsStore store;
    Writes writes;
    recordWrites(store, writes);
    PlaybackState state;

    QCOMPARE(store.Load_Settings(state, kScreenTwips), 5680.0);
    QVERIFY(writes.isEmpty());
    QCOMPARE(state.gstrFirstRun, QStringLiteral("1"));
    QCOMPARE(state.gintRepeats, qint16(7));
    QCOMPARE(state.gintEnglishTime, qint16(9));
    QCOMPARE(state.gintItalianTime, qint16(5));
    QCOMPARE(state.gintTopic, qint16(1));
    QCOMPARE(state.gintAutoHide, qint16(0));

    state.gintReadAloud = 0;
    store.Save_Exit_Settings(state, 4321.5);
    QVERIFY(store.flush());

    const QMap<QString, QString> disk = groupOnDisk(env.settingsFile());
    QCOMPARE(disk.value("voice"), QStringLiteral("0"));
    QCOMPARE(disk.value("left"), QStringLiteral("4321.5"));
    QCOMPARE(disk.value("n"), QStringLiteral("7"));
    QCOMPARE(disk.value("ctime"), QStringLiteral("9"));
    QCOMPARE(disk.value("xxx"), QStringLiteral("1"));

    // The rewritten file reads cleanly (from a copy: QSettings caches the
    // original in memory).
    const QString copy = QDir(env.configHome()).filePath("copy.conf");
    QVERIFY(QFile::copy(env.settingsFile(), copy));
    QSettings reread(copy, QSettings::IniFormat);
    QCOMPARE(reread.value("Italian/voice").toString(), QStringLiteral("0"));
    QCOMPARE(reread.status(), QSettings::NoError);
}

void TestSettings::damagedFileThenUnwritable()
{
    // Reading a damaged file leaves an error behind that must not hide a
    // later failure to write.
    TestEnvironment env;
    writeBytes(env.settingsFile(), "[Italian]\nxxx=1\nn=7\njunk\n[Ital");
    SettingsStore store;
    PlaybackState state;
    store.Load_Settings(state, kScreenTwips);
    QCOMPARE(state.gintRepeats, qint16(7));

    QVERIFY(QFile::remove(env.settingsFile()));
    QVERIFY(QDir().mkdir(env.settingsFile()));
    store.Save_Exit_Settings(state, 100.0);
    QVERIFY(!store.flush());

    QVERIFY(QDir(env.settingsFile()).removeRecursively());
    QVERIFY(store.flush());
    QCOMPARE(groupOnDisk(env.settingsFile()).value("left"), QStringLiteral("100"));
}

void TestSettings::settingsPathTaken()
{
    TestEnvironment env;
    QVERIFY(QDir().mkdir(env.settingsFile()));
    SettingsStore store;
    PlaybackState state;

    QCOMPARE(store.Load_Settings(state, kScreenTwips), 5680.0);
    QCOMPARE(state.gintRepeats, qint16(2));
    QCOMPARE(state.gstrFirstRun, QStringLiteral("1"));
    QVERIFY(!store.flush());
}

void TestSettings::readOnlyFolder()
{
    TestEnvironment env;
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                        QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(env.configHome(), readOnly));
    const auto restore =
        qScopeGuard([&] { QFile::setPermissions(env.configHome(), readOnly | QFile::WriteOwner); });
    QFile probe(QDir(env.configHome()).filePath("probe"));
    if (probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        QSKIP("folder permissions are not enforced for this user");
    }

    SettingsStore store;
    PlaybackState state;
    QCOMPARE(store.Load_Settings(state, kScreenTwips), 5680.0);
    QCOMPARE(state.gintRepeats, qint16(2));
    QCOMPARE(state.gintNextSentence, qint16(11000));
    store.Save_Exit_Settings(state, 10.0);
    QVERIFY(!store.flush());
    QVERIFY(!QFile::exists(env.settingsFile()));
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
