#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// The text of an INI file in UTF-8: "[section]" headers, "key=value" lines
// and comments. One section's keys are read and rewritten; every other line
// is written back as it was, so the file may hold more than this program's
// keys.
class IniDocument {
public:
    using Values = QMap<QString, QString>;

    // An empty document, ready to be filled.
    explicit IniDocument(QString section) : m_section(std::move(section)) {}
    // Reads `bytes`; problem() says why they are not such text.
    IniDocument(const QByteArray& bytes, QString section);

    // Why the bytes are not an INI file with that section, for the learner;
    // empty when they are (an empty file is one).
    QString problem() const { return m_problem; }
    const Values& values() const { return m_values; }
    void setValue(const QString& key, const QString& value) { m_values.insert(key, value); }

    // The whole text, the section's keys in sorted order.
    QByteArray toUtf8() const;

private:
    void parse(QStringView text);
    void readLine(QStringView line, int number, bool& inSection, bool& seen);

    QString m_section;
    QStringList m_before; // lines ahead of the section, as they were
    QStringList m_after;  // lines after it
    Values m_values;
    QString m_problem;
};
