#include "settings/IniDocument.h"

#include <QStringDecoder>
#include <algorithm>

namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr char kUtf16LittleMark[] = "\xFF\xFE";
constexpr char kUtf16BigMark[] = "\xFE\xFF";

bool isComment(QStringView line)
{
    return line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#');
}

// Characters a value cannot hold unquoted and still read back the same.
bool needsQuotes(const QString& value)
{
    if (value.isEmpty())
        return false;
    return value.front().isSpace() || value.back().isSpace() || value.contains(QLatin1Char('"')) ||
           value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('\\')) ||
           value.contains(QLatin1Char('\n'));
}

QString quoted(const QString& value)
{
    QString text = QStringLiteral("\"");
    for (const QChar c : value) {
        if (c == u'"' || c == u'\\')
            text += QLatin1Char('\\');
        text += c == u'\n' ? QStringLiteral("\\n") : QString(c);
    }
    return text + QLatin1Char('"');
}

QString unquoted(QStringView raw)
{
    if (raw.size() < 2 || !raw.startsWith(u'"') || !raw.endsWith(u'"'))
        return raw.toString();
    QString value;
    const QStringView inner = raw.mid(1, raw.size() - 2);
    for (qsizetype i = 0; i < inner.size(); ++i) {
        QChar c = inner[i];
        if (c == u'\\' && i + 1 < inner.size()) {
            c = inner[++i];
            if (c == u'n')
                c = u'\n';
        }
        value += c;
    }
    return value;
}

} // namespace

IniDocument::IniDocument(const QByteArray& bytes, QString section) : m_section(std::move(section))
{
    if (bytes.startsWith(kUtf16LittleMark) || bytes.startsWith(kUtf16BigMark)) {
        m_problem = QStringLiteral("it is saved as UTF-16 text, and Quorvel reads only UTF-8");
        return;
    }
    const QByteArray body = bytes.startsWith(kUtf8Mark) ? bytes.mid(3) : bytes;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(body);
    if (decoder.hasError()) {
        m_problem = QStringLiteral("it is not UTF-8 text");
        return;
    }
    const bool binary = std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.unicode() < u' ' && c != u'\n' && c != u'\r' && c != u'\t';
    });
    if (binary) {
        m_problem = QStringLiteral("it holds binary data, not text");
        return;
    }
    parse(text);
}

void IniDocument::parse(QStringView text)
{
    bool inSection = false;
    bool seen = false;
    bool content = false; // anything but comments and blank lines
    int number = 0;
    for (QStringView line : text.split(u'\n')) {
        ++number;
        if (line.endsWith(u'\r'))
            line.chop(1);
        content = content || !isComment(line.trimmed());
        readLine(line, number, inSection, seen);
        if (!m_problem.isEmpty())
            return;
    }
    while (!m_after.isEmpty() && m_after.constLast().isEmpty())
        m_after.removeLast();
    if (content && !seen)
        m_problem = QStringLiteral("it has no [%1] section, so it is not Quorvel's settings file")
                        .arg(m_section);
}

void IniDocument::readLine(QStringView line, int number, bool& inSection, bool& seen)
{
    const QStringView trimmed = line.trimmed();
    if (trimmed.startsWith(u'[')) {
        if (!trimmed.endsWith(u']')) {
            m_problem = QStringLiteral("line %1 is not a setting, so it is not a settings file")
                            .arg(number);
            return;
        }
        inSection = trimmed.mid(1, trimmed.size() - 2).trimmed() == m_section;
        seen = seen || inSection;
        if (inSection)
            return;
    } else if (!isComment(trimmed)) {
        const qsizetype equals = trimmed.indexOf(u'=');
        if (equals <= 0) {
            m_problem =
                QStringLiteral("line %1 is not a key=value line, so it is not a settings file")
                    .arg(number);
            return;
        }
        if (inSection) {
            m_values.insert(trimmed.left(equals).trimmed().toString(),
                            unquoted(trimmed.mid(equals + 1).trimmed()));
            return;
        }
    } else if (inSection) {
        return; // comments inside the section are not kept
    }
    (seen ? m_after : m_before).append(line.toString());
}

QByteArray IniDocument::toUtf8() const
{
    QStringList lines = m_before;
    while (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    if (!lines.isEmpty())
        lines.append(QString());
    lines.append(QLatin1Char('[') + m_section + QLatin1Char(']'));
    for (auto [key, value] : m_values.asKeyValueRange())
        lines.append(key + QLatin1Char('=') + (needsQuotes(value) ? quoted(value) : value));
    if (!m_after.isEmpty() && !m_after.constFirst().isEmpty())
        lines.append(QString());
    lines += m_after;
    return lines.join(QLatin1Char('\n')).toUtf8() + '\n';
}
