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
    m_listenCheck.setInterval(kListenCheckMs);
    connect(&m_listenCheck, &QTimer::timeout, this, &SingleInstance::keepListening);
}

SingleInstance::~SingleInstance()
{
    // The server deletes the connections still open after our members are
    // gone; they must not call back into us then.
    for (QLocalSocket* socket : std::as_const(m_connections))
        socket->disconnect(this);
}

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
    // Without the socket a later start cannot bring us forward, but we still
    // run; the timer tries again.
    keepListening();
    m_listenCheck.start();
    return true;
}

bool SingleInstance::keepListening()
{
    if (m_server.isListening())
        return true;
    // We hold the lock, so a socket file still there was left by us or by a
    // copy that died.
    QLocalServer::removeServer(m_names.serverName);
    return m_server.listen(m_names.serverName);
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
        // Idle connections must not use up our file descriptors: past the
        // cap the oldest gives way, since a real request sends its line at once.
        if (m_connections.size() >= kMaxConnections)
            drop(m_connections.first());
        m_connections.append(socket);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            readRequest(socket);
            drop(socket);
        });
        QTimer::singleShot(m_names.idleTimeoutMs, socket, [this, socket] { drop(socket); });
    }
}

void SingleInstance::readRequest(QLocalSocket* socket)
{
    if (!socket->canReadLine() && socket->bytesAvailable() < kMaxRequestBytes)
        return;
    const QByteArray line = socket->readLine(kMaxRequestBytes).trimmed();
    drop(socket);
    if (line == kActivateRequest)
        Q_EMIT activateRequested();
    else if (!line.isEmpty())
        Q_EMIT commandReceived(line);
}

void SingleInstance::drop(QLocalSocket* socket)
{
    m_connections.removeOne(socket);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    // Its descriptor is free again.
    if (!m_lock.isLocked() || m_names.serverName.isEmpty())
        return;
    keepListening();
}

void SingleInstance::release()
{
    m_listenCheck.stop();
    m_server.close();
    m_lock.unlock();
}
