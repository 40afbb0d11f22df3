#include "platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>
#include <cstdio>

namespace {

constexpr int kRetryPauseMs = 50;
constexpr int kWriteTimeoutMs = 1000;
// A request is one short word; anything longer is not ours.
constexpr qsizetype kMaxRequestBytes = 64;

} // namespace

SingleInstance::SingleInstance(Names names, QObject* parent)
    : QObject(parent), m_names(std::move(names)), m_lock(m_names.lockFile)
{
    // The lock is held for the whole run: its age says nothing. A lock left by
    // a copy that died is recognised by its process id instead.
    m_lock.setStaleLockTime(0);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim()
{
    if (m_names.lockFile.isEmpty()) {
        std::fputs("quorvel: no private folder for the lock and the socket; later starts and "
                   "commands will not reach this copy\n",
                   stderr);
        return true;
    }
    const QDeadlineTimer deadline(m_names.connectTimeoutMs);
    do {
        if (m_lock.tryLock(0))
            return becomePrimary();
        // No lock can be made there at all (no such folder, no permission):
        // better one copy too many than a tutor that never starts.
        if (m_lock.error() != QLockFile::LockFailedError)
            return becomePrimary();
        if (askPrimary(kActivateRequest, m_names, static_cast<int>(deadline.remainingTime())))
            return false;
        if (!deadline.hasExpired())
            QThread::msleep(kRetryPauseMs);
    } while (!deadline.hasExpired());

    // The lock is there but nobody answers: a lock file we cannot read (cut
    // short by a crash, say). The lock file refuses removal while its
    // owner is alive, so this only clears a dead one.
    if (m_lock.removeStaleLockFile() && m_lock.tryLock(0))
        return becomePrimary();
    return false;
}

bool SingleInstance::becomePrimary()
{
    // We hold the lock, so a socket file still there was left by a copy that died.
    QLocalServer::removeServer(m_names.serverName);
    // Without the socket a later start cannot bring us forward, but we still run.
    m_server.listen(m_names.serverName);
    return true;
}

bool SingleInstance::send(const QByteArray& word, const Names& names)
{
    // The first copy holds the lock for its whole run; without a lock file
    // there is nobody to ask. With one, its owner may be starting still.
    const QDeadlineTimer deadline(names.connectTimeoutMs);
    while (!names.lockFile.isEmpty() && QFileInfo::exists(names.lockFile)) {
        if (askPrimary(word, names, static_cast<int>(deadline.remainingTime())))
            return true;
        if (deadline.hasExpired())
            break;
        QThread::msleep(kRetryPauseMs);
    }
    return false;
}

bool SingleInstance::askPrimary(const QByteArray& word, const Names& names, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(names.serverName);
    if (!socket.waitForConnected(qMax(timeoutMs, 0)))
        return false;
    socket.write(word);
    socket.write("\n");
    socket.waitForBytesWritten(kWriteTimeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kWriteTimeoutMs);
    return true;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine() && socket->bytesAvailable() < kMaxRequestBytes)
                return;
            const QByteArray line = socket->readLine(kMaxRequestBytes).trimmed();
            socket->disconnectFromServer();
            if (line == kActivateRequest)
                Q_EMIT activateRequested();
            else if (!line.isEmpty())
                Q_EMIT commandReceived(line);
        });
    }
}

void SingleInstance::release()
{
    m_server.close();
    m_lock.unlock();
}
