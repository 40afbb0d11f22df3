#include "UnexpectedWarnings.h"
#include "platform/SingleInstance.h"

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
    void lockLeftBehind_data();
    void lockLeftBehind();
    void idleConnectionsGiveWay_data();
    void idleConnectionsGiveWay();

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

QTEST_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
