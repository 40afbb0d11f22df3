#include "UnexpectedWarnings.h"
#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

// What the lock file of a killed copy holds: the id of a process that has ended.
QByteArray deadCopysLock()
{
    QProcess process;
    process.start("/bin/sh", {"-c", "exit 0"});
    const qint64 pid = process.waitForStarted() ? process.processId() : 0;
    process.waitForFinished();
    return QByteArray::number(pid) + "\nquorvel\n" + QSysInfo::machineHostName().toUtf8() + '\n';
}

// Sets or (with an empty value) unsets an environment variable for one test.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        value.isEmpty() ? qunsetenv(name) : qputenv(name, value);
    }
    ~ScopedEnvironment() { m_had ? qputenv(m_name, m_old) : qunsetenv(m_name); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

constexpr uid_t kOtherUser = 65534; // nobody
constexpr int kNeverMs = 600000;

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        failOnUnexpectedWarnings();
        QVERIFY(m_dir.emplace().isValid());
    }
    void laterStartsReachTheFirst();
    void commandWithNoCopy_data();
    void commandWithNoCopy();
    void lockLeftBehind_data();
    void lockLeftBehind();
    void privateFolder_data();
    void privateFolder();
    void idleConnectionsGiveWay_data();
    void idleConnectionsGiveWay();
    void listensAgainAfterAcceptFails();

private:
    SingleInstance::Names names(int connectTimeoutMs = 0, const QString& lock = "test.lock") const
    {
        return {m_dir->filePath(lock), m_dir->filePath("test.socket"), connectTimeoutMs};
    }

    std::optional<QTemporaryDir> m_dir;
};

// A second copy brings the first to the front; a start with a command sends
// its word and never takes the first copy's place. A killed copy leaves its
// socket file behind, and any file there blocks listening until it is cleared.
void TestSingleInstance::laterStartsReachTheFirst()
{
    QFile leftover(names().serverName);
    QVERIFY(leftover.open(QIODevice::WriteOnly));

    SingleInstance first(names());
    QVERIFY(first.claim());
    QSignalSpy activated(&first, &SingleInstance::activateRequested);
    QSignalSpy commands(&first, &SingleInstance::commandReceived);
    SingleInstance second(names(1000));
    QVERIFY(!second.claim());
    QVERIFY(activated.wait(5000)); // socket traffic: ends as soon as it comes
    QVERIFY(SingleInstance::send("pause", names(1000)));
    QVERIFY(commands.wait(5000));
    QCOMPARE(commands.count(), 1);
    QCOMPARE(commands.first().first().toByteArray(), QByteArray("pause"));
    QCOMPARE(activated.count(), 1);
    QVERIFY(first.isListening());
}

void TestSingleInstance::commandWithNoCopy_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("no lock at all") << 0;
    QTest::newRow("dead copy's lock") << 1;
}

// Nobody to tell: it says so, and neither takes the lock nor listens.
void TestSingleInstance::commandWithNoCopy()
{
    QFETCH(int, kind);
    QFile lock(names().lockFile);
    if (kind == 1) {
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(deadCopysLock());
        lock.close();
    }
    QVERIFY(!SingleInstance::send("pause", names(200)));
    QCOMPARE(QFile::exists(names().lockFile), kind == 1);
    QVERIFY(!QFile::exists(names().serverName));
}

void TestSingleInstance::lockLeftBehind_data()
{
    QTest::addColumn<QString>("lockName");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("claims");

    QTest::newRow("dead copy's lock") << "test.lock" << 0 << true;
    QTest::newRow("empty lock, cut short") << "test.lock" << 1 << true;
    QTest::newRow("live holder, no answer") << "test.lock" << 2 << false;
    // Better one copy too many than a tutor that never starts.
    QTest::newRow("lock cannot be made") << "missing/test.lock" << 3 << true;
}

void TestSingleInstance::lockLeftBehind()
{
    QFETCH(QString, lockName);
    QFETCH(int, kind);
    QFETCH(bool, claims);

    const SingleInstance::Names where = names(0, lockName);
    QLockFile holder(where.lockFile);
    QFile lock(where.lockFile);
    if (kind == 2)
        QVERIFY(holder.tryLock(0));
    else if (kind < 2)
        QVERIFY(lock.open(QIODevice::WriteOnly) && lock.write(kind ? "" : deadCopysLock()) >= 0);
    lock.close();

    SingleInstance next(where);
    QCOMPARE(next.claim(), claims);
    QCOMPARE(next.isListening(), claims);
    QCOMPARE(QFile::exists(where.lockFile), kind < 3); // a live holder's lock stays
}

void TestSingleInstance::privateFolder_data()
{
    QTest::addColumn<int>("squat");
    QTest::addColumn<QString>("chosen");

    QTest::newRow("runtime folder, 0700") << 0 << "run";
    QTest::newRow("runtime folder, 0755") << 1 << "";
    QTest::newRow("no runtime folder, a link in the way") << 2 << ".1";
    QTest::newRow("no runtime folder, a file in the way") << 3 << ".1";
    QTest::newRow("no runtime folder, another user's folder") << 4 << ".1";
    QTest::newRow("every name taken") << 5 << "none";
}

// The lock and the socket only go where nobody else can reach them; anything
// another user could have made or linked first is passed over.
void TestSingleInstance::privateFolder()
{
    QFETCH(int, squat);
    QFETCH(QString, chosen);

    const QString run = m_dir->filePath("run");
    const QString tmp = m_dir->filePath("tmp");
    QVERIFY(QDir().mkpath(run) && QDir().mkpath(tmp));
    QVERIFY(QFile::setPermissions(
        run, squat == 1
                 ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                       QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther
                 : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const ScopedEnvironment runtime("XDG_RUNTIME_DIR", squat < 2 ? QFile::encodeName(run) : "");
    const ScopedEnvironment temp("TMPDIR", QFile::encodeName(tmp));
    const QString fallback = tmp + "/quorvel-" + QString::number(::getuid());

    if (squat == 2)
        QVERIFY(QFile::link(run, fallback));
    else if (squat == 3 || squat == 5)
        QVERIFY(QFile(fallback).open(QIODevice::WriteOnly));
    else if (squat == 4) {
        if (::getuid() != 0)
            QSKIP("only root can make a folder of another user");
        QVERIFY(QDir().mkdir(fallback) &&
                ::chown(QFile::encodeName(fallback), kOtherUser, kOtherUser) == 0);
    }
    for (int i = 1; squat == 5 && i < SingleInstance::kFallbackFolders; ++i)
        QVERIFY(QFile(fallback + '.' + QString::number(i)).open(QIODevice::WriteOnly));

    const SingleInstance::Names where = SingleInstance::userNames();
    if (chosen == "none") {
        // It runs alone, and a command finds nobody.
        QVERIFY(where.lockFile.isEmpty() && where.serverName.isEmpty());
        SingleInstance alone(where);
        QVERIFY(alone.claim());
        QVERIFY(!alone.isListening());
        QVERIFY(!SingleInstance::send("pause", where));
        return;
    }
    const QString dir = chosen == "run" ? run : fallback + chosen;
    QCOMPARE(where.lockFile, dir + "/quorvel.lock");
    QCOMPARE(where.serverName, dir + "/quorvel.socket");
}

void TestSingleInstance::idleConnectionsGiveWay_data()
{
    QTest::addColumn<int>("idleTimeoutMs");
    QTest::addColumn<int>("clients");
    QTest::addColumn<QByteArray>("sent");

    QTest::newRow("nothing sent") << 0 << 1 << QByteArray();
    QTest::newRow("half a line") << 0 << 1 << QByteArray("pau");
    QTest::newRow("one over the cap")
        << kNeverMs << int(SingleInstance::kMaxConnections + 1) << QByteArray();
}

// A connection that sends no whole line is dropped in time, and no more
// than the cap stay open at once, so that idle ones cannot use up the
// descriptors; the oldest gives way, and a real request still gets through.
void TestSingleInstance::idleConnectionsGiveWay()
{
    QFETCH(int, idleTimeoutMs);
    QFETCH(int, clients);
    QFETCH(QByteArray, sent);

    SingleInstance::Names where = names(1000);
    where.idleTimeoutMs = idleTimeoutMs;
    SingleInstance first(where);
    QVERIFY(first.claim());
    std::vector<std::unique_ptr<QLocalSocket>> open;
    for (int i = 0; i < clients; ++i) {
        auto& client = open.emplace_back(std::make_unique<QLocalSocket>());
        client->connectToServer(where.serverName);
        QVERIFY(client->waitForConnected(1000));
        client->write(sent);
        client->flush();
    }
    QSignalSpy dropped(open.front().get(), &QLocalSocket::disconnected);
    QVERIFY(dropped.wait(5000)); // socket traffic: ends as soon as it comes
    for (std::size_t i = 1; i < open.size(); ++i)
        QCOMPARE(open[i]->state(), QLocalSocket::ConnectedState);
    if (clients == 1)
        return;
    QSignalSpy commands(&first, &SingleInstance::commandReceived);
    QVERIFY(SingleInstance::send("pause", where));
    QVERIFY(commands.wait(5000));
    QVERIFY(first.isListening());
}

// Qt stops listening when accepting a connection fails, as it does when the
// program is out of file descriptors; the socket must come back once there
// are some again.
void TestSingleInstance::listensAgainAfterAcceptFails()
{
    SingleInstance first(names(1000));
    QVERIFY(first.claim());
    QLocalSocket client;
    client.connectToServer(names().serverName);
    QVERIFY(client.waitForConnected(1000));
    QSignalSpy refused(&client, &QLocalSocket::disconnected);

    rlimit saved = {};
    QCOMPARE(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    // The lowest free descriptor becomes the limit: accept finds none left,
    // while the event loop can still poll the ones that are open.
    const int lowestFree = ::dup(0);
    QVERIFY(lowestFree > 0);
    ::close(lowestFree);
    rlimit full = saved;
    full.rlim_cur = static_cast<rlim_t>(lowestFree);
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &full), 0);
    const bool wasRefused = refused.wait(5000); // socket traffic
    const bool listened = first.isListening();
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &saved), 0);
    QVERIFY(wasRefused);
    QVERIFY(!listened);

    QVERIFY(first.keepListening());
    QSignalSpy commands(&first, &SingleInstance::commandReceived);
    QVERIFY(SingleInstance::send("next", names(1000)));
    QVERIFY(commands.wait(5000));
    QCOMPARE(commands.first().first().toByteArray(), QByteArray("next"));
}

QTEST_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
