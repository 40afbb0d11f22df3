#pragma once

#include <QHash>
#include <QString>
#include <optional>

// The keyed table of Italian and English texts. The dialogues are stored
// once in a data file compiled into the program; construction expands them
// into the full table (pages 1..10 filled to 28 lines, pages 11..19 repeating
// pages 1..9).
class Corpus {
public:
    Corpus(); // loads the built-in dialogues
    explicit Corpus(const QByteArray& json);

    // The text stored under `key`, or nothing if the table has no such key.
    std::optional<QString> lookup(int key) const;
    int size() const { return static_cast<int>(m_texts.size()); }

private:
    QHash<int, QString> m_texts;
};
