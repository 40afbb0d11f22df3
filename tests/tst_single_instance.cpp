#include "app/SingleInstance.h"

#include <QFile>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {

// Real socket traffic, not a timer: the wait ends as soon as the event comes.
constexpr int kSocketEventTimeoutMs = 5000;

// Leaves a socket file behind with nobody listening, as a killed copy does.
bool leaveDeadSocketFile(const QString& path)
{
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (native.size() >= static_cast<qsizetype>(sizeof(address.sun_path)))
        return false;
    std::copy(native.begin(), native.end(), address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return bound && QFile::exists(path);
#else
    Q_UNUSED(path);
    return false;
#endif
}

// The process id of a process that has ended.
qint64 deadProcessId()
{
    QProcess process;
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exit 0")});
    if (!process.waitForStarted())
        return 0;
    const qint64 pid = process.processId();
    process.waitForFinished();
    return pid;
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void firstCopyTakesTheLockAndListens();
    void secondCopyIsRefusedAndActivatesTheFirst();
    void onlyTheActivateRequestCounts_data();
    void onlyTheActivateRequestCounts();
    void lockLeftByADeadCopyIsRecovered();
    void leftoverSocketFileIsCleaned();
    void unreadableLockNobodyHoldsIsCleared();
    void liveLockThatDoesNotAnswerIsKept();
    void folderWithoutLocksStillStarts();
    void endingTheFirstCopyFreesTheNames();
    void userNamesLiveInTheRuntimeFolder();

private:
    SingleInstance::Names names(int connectTimeoutMs = 0) const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSingleInstance::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

SingleInstance::Names TestSingleInstance::names(int connectTimeoutMs) const
{
    return {m_dir->filePath(QStringLiteral("test.lock")),
            m_dir->filePath(QStringLiteral("test.socket")), connectTimeoutMs};
}

void TestSingleInstance::firstCopyTakesTheLockAndListens()
{
    SingleInstance first(names());
    QVERIFY(first.claim());
    QVERIFY(first.isListening());
    QVERIFY(QFile::exists(names().lockFile));
    QVERIFY(QFile::exists(names().serverName));
}

void TestSingleInstance::secondCopyIsRefusedAndActivatesTheFirst()
{
    SingleInstance first(names());
    QVERIFY(first.claim());
    QSignalSpy activated(&first, &SingleInstance::activateRequested);

    SingleInstance second(names(1000));
    QVERIFY(!second.claim());
    QVERIFY(!second.isListening());

    QVERIFY(activated.wait(kSocketEventTimeoutMs));
    QCOMPARE(activated.count(), 1);
    // The first copy still holds everything.
    QVERIFY(first.isListening());
    QVERIFY(QFile::exists(names().lockFile));
}

void TestSingleInstance::onlyTheActivateRequestCounts_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("activations");

    QTest::newRow("activate") << QByteArray("activate\n") << 1;
    QTest::newRow("other word") << QByteArray("hello\n") << 0;
    QTest::newRow("capitals") << QByteArray("ACTIVATE\n") << 0;
    QTest::newRow("with more") << QByteArray("activate please\n") << 0;
    QTest::newRow("endless line") << QByteArray(500, 'a') << 0;
}

void TestSingleInstance::onlyTheActivateRequestCounts()
{
    QFETCH(QByteArray, request);
    QFETCH(int, activations);

    SingleInstance first(names());
    QVERIFY(first.claim());
    QSignalSpy activated(&first, &SingleInstance::activateRequested);

    QLocalSocket client;
    client.connectToServer(names().serverName);
    QVERIFY(client.waitForConnected(kSocketEventTimeoutMs));
    QSignalSpy hungUp(&client, &QLocalSocket::disconnected);
    client.write(request);
    // The first copy hangs up once it has read one request, whatever it was.
    QVERIFY(hungUp.wait(kSocketEventTimeoutMs));
    QCOMPARE(activated.count(), activations);
}

void TestSingleInstance::lockLeftByADeadCopyIsRecovered()
{
    const qint64 pid = deadProcessId();
    QVERIFY(pid > 0);
    QFile lock(names().lockFile);
    QVERIFY(lock.open(QIODevice::WriteOnly));
    // What the lock file of a copy that was killed holds.
    lock.write(QByteArray::number(pid) + "\nquorvel\n" + QSysInfo::machineHostName().toUtf8() +
               '\n' + QSysInfo::machineUniqueId() + '\n' + QSysInfo::bootUniqueId() + '\n');
    lock.close();

    SingleInstance next(names());
    QVERIFY(next.claim());
    QVERIFY(next.isListening());
}

void TestSingleInstance::leftoverSocketFileIsCleaned()
{
    if (!leaveDeadSocketFile(names().serverName))
        QSKIP("cannot leave a socket file behind on this platform");

    SingleInstance first(names());
    QVERIFY(first.claim());
    QVERIFY(first.isListening());

    // And the socket is live: a later start reaches it.
    QSignalSpy activated(&first, &SingleInstance::activateRequested);
    SingleInstance second(names(1000));
    QVERIFY(!second.claim());
    QVERIFY(activated.wait(kSocketEventTimeoutMs));
}

void TestSingleInstance::unreadableLockNobodyHoldsIsCleared()
{
    QFile lock(names().lockFile);
    QVERIFY(lock.open(QIODevice::WriteOnly)); // empty: cut short by a crash
    lock.close();

    SingleInstance next(names());
    QVERIFY(next.claim());
    QVERIFY(next.isListening());
}

void TestSingleInstance::liveLockThatDoesNotAnswerIsKept()
{
    QLockFile holder(names().lockFile);
    holder.setStaleLockTime(0);
    QVERIFY(holder.tryLock(0));

    SingleInstance next(names());
    QVERIFY(!next.claim());
    QVERIFY(!next.isListening());
    QVERIFY(holder.isLocked());
    QVERIFY(QFile::exists(names().lockFile));
}

void TestSingleInstance::folderWithoutLocksStillStarts()
{
    SingleInstance::Names nowhere = names();
    nowhere.lockFile = m_dir->filePath(QStringLiteral("missing/test.lock"));

    SingleInstance only(nowhere);
    QVERIFY(only.claim());
    QVERIFY(only.isListening());
}

void TestSingleInstance::endingTheFirstCopyFreesTheNames()
{
    {
        SingleInstance first(names());
        QVERIFY(first.claim());
    }
    QVERIFY(!QFile::exists(names().lockFile));

    SingleInstance next(names());
    QVERIFY(next.claim());
    QVERIFY(next.isListening());
}

void TestSingleInstance::userNamesLiveInTheRuntimeFolder()
{
    const bool wasSet = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    const QByteArray previous = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", m_dir->path().toLocal8Bit());
    const SingleInstance::Names user = SingleInstance::userNames();
    if (wasSet)
        qputenv("XDG_RUNTIME_DIR", previous);
    else
        qunsetenv("XDG_RUNTIME_DIR");

#ifdef Q_OS_WIN
    QSKIP("per-user names come from the temporary folder on Windows");
#endif
    QCOMPARE(QFileInfo(user.lockFile).absolutePath(), m_dir->path());
    QCOMPARE(QFileInfo(user.serverName).absolutePath(), m_dir->path());
    QVERIFY(user.lockFile != user.serverName);
    QVERIFY(user.connectTimeoutMs > 0);
}

QTEST_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
