#pragma once

#include "agent/Character.h"

#include <QStringList>

// Records every call the tutor makes on its character, as "Speak:<text>",
// "Play:Wave", "Stop", "Show", "Hide", "LanguageID:1040", "Pace:150", "MoveTo:x,y"
// and "Raise".
class RecordingCharacter : public Character {
public:
    // `keepClear`, if given, follows the area the balloon must keep off.
    explicit RecordingCharacter(QStringList* log, QRect* keepClear = nullptr)
        : m_log(log), m_keepClear(keepClear)
    {
    }

    void Show() override { m_log->append(QStringLiteral("Show")); }
    void Hide() override { m_log->append(QStringLiteral("Hide")); }
    void Speak(const QString& text) override { m_log->append(QStringLiteral("Speak:") + text); }
    void Stop() override { m_log->append(QStringLiteral("Stop")); }
    void Play(const QString& animation) override
    {
        m_log->append(QStringLiteral("Play:") + animation);
    }
    void setLanguageID(int id) override { m_log->append(QStringLiteral("LanguageID:%1").arg(id)); }
    void setSpeechPace(int wordsPerMinute) override
    {
        m_log->append(QStringLiteral("Pace:%1").arg(wordsPerMinute));
    }
    void MoveTo(const QPoint& p) override
    {
        m_log->append(QStringLiteral("MoveTo:%1,%2").arg(p.x()).arg(p.y()));
    }
    // Not logged: it changes with every move of the strip.
    void setKeepClear(const QRect& area) override
    {
        if (m_keepClear)
            *m_keepClear = area;
    }
    void Raise() override { m_log->append(QStringLiteral("Raise")); }

private:
    QStringList* m_log;
    QRect* m_keepClear;
};
