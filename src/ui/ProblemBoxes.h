#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>

class QMessageBox;

// The messages about files the tutor cannot keep. None of them is modal:
// the strip, the voice and a later start's commands go on while one is up,
// and none takes keys typed for another program. Each is also written to
// the standard error, for the session's log.
class ProblemBoxes : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    void show(const QString& message);
    // How many messages have been shown so far.
    int shownCount() const { return m_shown; }
    // Runs `then` once every message after the first `shown` is closed: at
    // once when there is none, or when it is asked again while waiting (a
    // second Exit ends at once).
    void afterClosed(int shown, std::function<void()> then);

private:
    void onClosed(QMessageBox* box);
    bool waitsFor() const;

    int m_shown = 0;
    QHash<QMessageBox*, int> m_open; // each open message and its number
    int m_waitFrom = 0;
    std::function<void()> m_then;
};
