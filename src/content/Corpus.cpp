#include "content/Corpus.h"

#include "content/Numbering.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QList>
#include <QtDebug>
#include <array>
#include <utility>

namespace {

constexpr auto kResourcePath = ":/content/dialogues.json";
// One dialogue per topic fills pages 1..10; pages 11..19 replay pages 1..9.
constexpr int kDialoguePages = Numbering::kTopicCount;

struct Line {
    QString italian;
    QString english;
    QString spoken; // empty: said as written
};
using Dialogue = QList<Line>;
using Dialogues = std::array<Dialogue, kDialoguePages>;

// ["Italian", "English"] or ["Italian", "English", "spoken Italian"].
bool parseLine(const QJsonValue& value, Line& line)
{
    const QJsonArray texts = value.toArray();
    if (!value.isArray() || texts.size() < 2 || texts.size() > 3)
        return false;
    for (const QJsonValue& text : texts) {
        if (!text.isString() || text.toString().isEmpty())
            return false;
    }
    line = {texts[0].toString(), texts[1].toString(),
            texts.size() > 2 ? texts[2].toString() : QString()};
    return true;
}

// Each parser returns a description of the first fault it finds, or an empty
// text. Any fault leaves the whole table empty: a damaged file must never
// give a course with holes in it.
QString parseDialogue(const QJsonValue& value, Dialogues& dialogues)
{
    const QJsonObject object = value.toObject();
    const int topic = object.value(QLatin1String("topic")).toInt(0);
    if (!value.isObject() || !Numbering::isTopic(topic))
        return QStringLiteral("a dialogue has no valid topic");
    Dialogue& dialogue = dialogues[topic - 1];
    if (!dialogue.isEmpty())
        return QStringLiteral("topic %1 appears twice").arg(topic);
    const QJsonArray lines = object.value(QLatin1String("lines")).toArray();
    if (lines.isEmpty() || lines.size() > Numbering::kLinesPerPage)
        return QStringLiteral("topic %1 must have 1 to %2 lines")
            .arg(topic)
            .arg(Numbering::kLinesPerPage);
    for (const QJsonValue& entry : lines) {
        Line line;
        if (!parseLine(entry, line))
            return QStringLiteral("topic %1 has a line that is not two or three texts").arg(topic);
        dialogue.append(line);
    }
    return {};
}

QString parseDialogues(const QByteArray& json, Dialogues& dialogues)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return parseError.errorString();
    const QJsonValue list = document.object().value(QLatin1String("dialogues"));
    if (!list.isArray())
        return QStringLiteral("no \"dialogues\" list");
    for (const QJsonValue& value : list.toArray()) {
        if (const QString error = parseDialogue(value, dialogues); !error.isEmpty())
            return error;
    }
    for (int topic = 1; topic <= kDialoguePages; ++topic) {
        if (dialogues[topic - 1].isEmpty())
            return QStringLiteral("topic %1 is missing").arg(topic);
    }
    return {};
}

// The page that holds the same dialogue as `page`: 11..19 go back to 1..9.
constexpr int sourcePage(int page)
{
    return page > kDialoguePages ? page - kDialoguePages : page;
}

QByteArray builtInData()
{
    QFile file(QString::fromLatin1(kResourcePath));
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("Corpus: cannot open %s", kResourcePath);
        return {};
    }
    return file.readAll();
}

} // namespace

Corpus::Corpus() : Corpus(builtInData()) {}

Corpus::Corpus(const QByteArray& json)
{
    Dialogues dialogues;
    if (const QString error = parseDialogues(json, dialogues); !error.isEmpty()) {
        qWarning("Corpus: dialogues not loaded: %s", qUtf8Printable(error));
        return;
    }
    m_texts.reserve(2 * (Numbering::kLastPage - Numbering::kFirstPage + 1) *
                    Numbering::kLinesPerPage);
    for (int page = Numbering::kFirstPage; page <= Numbering::kLastPage; ++page) {
        const Dialogue& dialogue = dialogues[sourcePage(page) - 1];
        for (int line = 1; line <= Numbering::kLinesPerPage; ++line) {
            // A short dialogue starts again from its first line.
            const Line& texts = dialogue[(line - 1) % dialogue.size()];
            const int key = Numbering::sentence(page, line);
            m_texts.insert(key, texts.italian);
            m_texts.insert(Numbering::englishKey(key), texts.english);
            if (!texts.spoken.isEmpty())
                m_spoken.insert(key, texts.spoken);
        }
    }
}

std::optional<QString> Corpus::lookup(int key) const
{
    const auto found = m_texts.constFind(key);
    if (found == m_texts.constEnd())
        return std::nullopt;
    return *found;
}

std::optional<QString> Corpus::spoken(int key) const
{
    const auto found = m_spoken.constFind(key);
    return found == m_spoken.constEnd() ? lookup(key) : *found;
}
