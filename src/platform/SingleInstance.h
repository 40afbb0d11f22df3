#pragma once

#include <QList>
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

class QLocalSocket;

// Keeps one copy of the tutor per user. The first copy holds a lock file and
// listens on a per-user local socket; a later copy finds the lock, asks the
// first one to come to the front and then ends. A start with a command on
// its command line only sends that word and never becomes the first copy.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    // Where the lock file and the socket live. The defaults are per user;
    // tests pass private ones. Empty names: no folder could be trusted, and
    // the copy runs alone without either.
    struct Names {
        QString lockFile;
        QString serverName;
        // How long a later copy keeps trying to reach the first one, which
        // may have taken the lock an instant ago and not be listening yet.
        int connectTimeoutMs = 3000;
        // How long a connection may take to send its line before it is dropped.
        int idleTimeoutMs = 2000;
    };

    // On Linux, a folder only this user can enter: the runtime folder, else
    // quorvel-<uid> in the temporary folder, else the first of its numbered
    // siblings that nobody else has taken.
    static Names userNames();
    static constexpr int kFallbackFolders = 8;

    // Connections open at once; a new one beyond them closes the oldest.
    static constexpr qsizetype kMaxConnections = 16;
    // How often the first copy checks that its socket still listens. A
    // dropped connection checks at once (a flood of them is what closes the
    // socket); this slow check is for descriptors freed any other way, and
    // wakes the idle tutor rarely.
    static constexpr int kListenCheckMs = 10000;

    explicit SingleInstance(Names names = userNames(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the first copy (it now holds the lock and listens);
    // false when another copy runs and has been asked to activate itself.
    bool claim();

    // Sends `word` to the copy that runs; false when none runs (no lock is
    // taken, nothing starts) or it did not answer in time.
    static bool send(const QByteArray& word, const Names& names = userNames());

    bool isListening() const { return m_server.isListening(); }

    // Listens again when the socket was lost (Qt closes it when accepting a
    // connection fails, for one when we are out of file descriptors). True
    // when it listens. Called when a connection goes, and by a slow timer.
    bool keepListening();

    // Stops listening and gives the lock up, for a program about to end.
    void release();

    static constexpr char kActivateRequest[] = "activate";

Q_SIGNALS:
    // Another start of the program asked this copy to come to the front.
    void activateRequested();
    // Another start sent a command word (see CommandLine).
    void commandReceived(const QByteArray& word);

private:
    bool becomePrimary();
    static bool askPrimary(const QByteArray& word, const Names& names, int timeoutMs);
    void onNewConnection();
    void readRequest(QLocalSocket* socket);
    void drop(QLocalSocket* socket);

    Names m_names;
    QLockFile m_lock;
    QLocalServer m_server;
    QTimer m_listenCheck;
    // Oldest first.
    QList<QLocalSocket*> m_connections;
};
