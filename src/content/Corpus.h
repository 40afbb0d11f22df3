#pragma once

#include <QHash>
#include <QString>
#include <optional>

// The keyed table of Italian and English texts. The dialogues are stored
// once in a data file compiled into the program; construction expands them
// into the full table (pages 1..10 filled to 28 lines, pages 11..19 repeating
// pages 1..9). An Italian line may bring a third text, the way it is said.
class Corpus {
public:
    Corpus(); // loads the built-in dialogues
    explicit Corpus(const QByteArray& json);

    // The text stored under `key`, or nothing if the table has no such key.
    std::optional<QString> lookup(int key) const;
    // What the voice is given for the Italian text under `key`: its spoken
    // form where the data spells it so that the speech engine says it right
    // (an accent, a respelling), else the text itself.
    std::optional<QString> spoken(int key) const;
    int size() const { return static_cast<int>(m_texts.size()); }

private:
    QHash<int, QString> m_texts;
    QHash<int, QString> m_spoken; // only the Italian keys that have a spoken form
};
