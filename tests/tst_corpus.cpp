#include "content/Corpus.h"
#include "content/Numbering.h"
#include "content/Topics.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <array>

namespace {

// Lines of each page's dialogue before it starts again (pages 1..10).
constexpr std::array<int, 10> kDialogueLengths = {18, 18, 12, 23, 27, 23, 28, 11, 28, 11};
constexpr int kItalianMax = 100;
constexpr int kEnglishMax = 87;
constexpr int kTextMin = 7;

// Names of people, places and dishes that the dictionaries do not know.
constexpr std::array<const char*, 7> kAllowedWords = {
    "Giulia", "Rossi", "margherita", "panna", "porcini", "prosecco", "spritz",
};

// Ordinary punctuation plus the accented letters the two languages need.
const QString kExtraCharacters = QStringLiteral(" .,;:!?'-àèéìòùÈ");

int italianKey(int page, int line)
{
    return Numbering::sentence(page, line);
}
int englishKey(int page, int line)
{
    return Numbering::englishKey(italianKey(page, line));
}

QString textAt(const Corpus& corpus, int key)
{
    return corpus.lookup(key).value_or(QString());
}

// A small course: topic t has t + 1 lines "I<t>.<line>  " / "E<t>.<line>  ".
QJsonObject syntheticCourse()
{
    QJsonArray dialogues;
    for (int topic = 1; topic <= Numbering::kTopicCount; ++topic) {
        QJsonArray lines;
        for (int line = 1; line <= topic + 1; ++line) {
            lines.append(QJsonArray{QStringLiteral("I%1.%2  ").arg(topic).arg(line),
                                    QStringLiteral("E%1.%2  ").arg(topic).arg(line)});
        }
        dialogues.append(QJsonObject{{"topic", topic}, {"lines", lines}});
    }
    return QJsonObject{{"dialogues", dialogues}};
}

QByteArray toJson(const QJsonObject& object)
{
    return QJsonDocument(object).toJson();
}

// syntheticCourse() with dialogue `index` replaced by `dialogue`.
QByteArray courseWithDialogue(int index, const QJsonValue& dialogue)
{
    QJsonObject course = syntheticCourse();
    QJsonArray dialogues = course.value("dialogues").toArray();
    dialogues[index] = dialogue;
    course["dialogues"] = dialogues;
    return toJson(course);
}

// syntheticCourse() with one line of topic 1 replaced by `line`.
QByteArray courseWithLine(const QJsonValue& line)
{
    QJsonArray lines{QJsonArray{"Buongiorno  ", "Good morning  "}, line};
    return courseWithDialogue(0, QJsonObject{{"topic", 1}, {"lines", lines}});
}

QJsonArray repeatedLines(int count)
{
    QJsonArray lines;
    for (int i = 0; i < count; ++i)
        lines.append(
            QJsonArray{QStringLiteral("Riga %1  ").arg(i), QStringLiteral("Line %1  ").arg(i)});
    return lines;
}

// Runs hunspell on `input` and gives its output; `ok` tells whether it ran
// to the end.
QString runHunspell(const QString& program, const QStringList& arguments, const QByteArray& input,
                    QProcess::ProcessChannelMode channels, bool* ok)
{
    QProcess process;
    process.setProcessChannelMode(channels);
    process.start(program, arguments);
    *ok = process.waitForStarted();
    if (!*ok)
        return {};
    process.write(input);
    process.closeWriteChannel();
    *ok = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Path (without extension) of an installed dictionary, from hunspell's own list.
QString findDictionary(const QString& hunspell, const QString& name)
{
    bool ok = false;
    // The list goes to the error channel.
    const QString listing = runHunspell(hunspell, {"-D"}, {}, QProcess::MergedChannels, &ok);
    for (const QString& entry : listing.split('\n')) {
        const QString path = entry.trimmed();
        if (path.endsWith('/' + name) && QFile::exists(path + ".aff") &&
            QFile::exists(path + ".dic"))
            return path;
    }
    return {};
}

// The stock Italian affix file does not count the apostrophe as part of a
// word, so the command-line checker cuts "dell'acqua" into "dell" and
// "acqua" and rejects the first half. A copy that does count it checks each
// elided form whole, and also catches an apostrophe typed for an accent
// ("perche'").
bool copyWithApostrophe(const QString& dictionary, const QString& target)
{
    QFile affix(dictionary + ".aff");
    if (!affix.open(QIODevice::ReadOnly))
        return false;
    QList<QByteArray> lines = affix.readAll().split('\n');
    bool found = false;
    for (QByteArray& line : lines) {
        if (line.startsWith("WORDCHARS ")) {
            line = line.trimmed() + '\'';
            found = true;
        }
    }
    if (!found)
        lines.append("WORDCHARS '");
    QFile copy(target + ".aff");
    if (!copy.open(QIODevice::WriteOnly) || copy.write(lines.join('\n') + '\n') < 0)
        return false;
    return QFile::copy(dictionary + ".dic", target + ".dic");
}

} // namespace

class TestCorpus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void builtInTableIsComplete();
    void pageBoundaries_data();
    void pageBoundaries();
    void noKeysOutsideTheCourse();
    void samples_data();
    void samples();
    void dialogueRepeatsToFillPage_data();
    void dialogueRepeatsToFillPage();
    void laterPagesRepeatEarlierOnes();
    void textForm();
    void syntheticCourseExpands();
    void numbering_data();
    void numbering();
    void nextPageStart_data();
    void nextPageStart();
    void captions_data();
    void captions();
    void malformedDataGivesEmptyTable_data();
    void malformedDataGivesEmptyTable();
    void spelling_data();
    void spelling();

private:
    Corpus m_corpus;
};

void TestCorpus::builtInTableIsComplete()
{
    QCOMPARE(m_corpus.size(), 1064);
    int found = 0;
    for (int page = Numbering::kFirstPage; page <= Numbering::kLastPage; ++page) {
        for (int line = 1; line <= Numbering::kLinesPerPage; ++line) {
            const QString where = QStringLiteral("page %1 line %2").arg(page).arg(line);
            QVERIFY2(m_corpus.lookup(italianKey(page, line)).has_value(), qPrintable(where));
            QVERIFY2(m_corpus.lookup(englishKey(page, line)).has_value(), qPrintable(where));
            found += 2;
        }
    }
    QCOMPARE(found, m_corpus.size());
}

void TestCorpus::pageBoundaries_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("present");

    for (int page = 0; page <= 21; ++page) {
        const bool inCourse = page >= Numbering::kFirstPage && page <= Numbering::kLastPage;
        for (const int line : {0, 1, 28, 29, 99}) {
            const bool present = inCourse && line >= 1 && line <= 28;
            const int key = italianKey(page, line);
            QTest::addRow("%d", key) << key << present;
            QTest::addRow("%d", Numbering::englishKey(key))
                << Numbering::englishKey(key) << present;
        }
    }
    for (const int key :
         {0, -1, -10101, -20101, 9999, 10000, 20000, 21929, 30101, 32767, -32768, 65535 + 10101})
        QTest::addRow("%d", key) << key << false;
}

void TestCorpus::pageBoundaries()
{
    QFETCH(int, key);
    QFETCH(bool, present);
    QCOMPARE(m_corpus.lookup(key).has_value(), present);
}

void TestCorpus::noKeysOutsideTheCourse()
{
    int found = 0;
    for (int key = -70000; key <= 70000; ++key) {
        if (!m_corpus.lookup(key))
            continue;
        ++found;
        const int sentence = key >= 20000 ? key - Numbering::kEnglishOffset : key;
        QVERIFY2(Numbering::isSentence(sentence), qPrintable(QString::number(key)));
    }
    QCOMPARE(found, 1064);
}

void TestCorpus::samples_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");

    QTest::newRow("10101") << 10101 << QStringLiteral("Quanti anni hai?  ");
    QTest::newRow("20101") << 20101 << QStringLiteral("How old are you?  ");
    QTest::newRow("10201") << 10201 << QStringLiteral("Che lavoro fa?  ");
    QTest::newRow("20201") << 20201 << QStringLiteral("What do you do?  ");
    // The same pairs again where pages 11 and 12 replay pages 1 and 2.
    QTest::newRow("11101") << 11101 << QStringLiteral("Quanti anni hai?  ");
    QTest::newRow("21201") << 21201 << QStringLiteral("What do you do?  ");
}

void TestCorpus::samples()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QCOMPARE(m_corpus.lookup(key), std::optional<QString>(text));
}

void TestCorpus::dialogueRepeatsToFillPage_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("length");

    for (int page = 1; page <= 10; ++page)
        QTest::addRow("page %d", page) << page << kDialogueLengths[page - 1];
}

void TestCorpus::dialogueRepeatsToFillPage()
{
    QFETCH(int, page);
    QFETCH(int, length);

    // The dialogue itself has no line twice, in either language, so the
    // first repeated line marks its length.
    QSet<QString> italian;
    QSet<QString> english;
    for (int line = 1; line <= length; ++line) {
        italian.insert(textAt(m_corpus, italianKey(page, line)));
        english.insert(textAt(m_corpus, englishKey(page, line)));
    }
    QCOMPARE(italian.size(), length);
    QCOMPARE(english.size(), length);

    for (int line = length + 1; line <= Numbering::kLinesPerPage; ++line) {
        const int source = (line - 1) % length + 1;
        QCOMPARE(textAt(m_corpus, italianKey(page, line)),
                 textAt(m_corpus, italianKey(page, source)));
        QCOMPARE(textAt(m_corpus, englishKey(page, line)),
                 textAt(m_corpus, englishKey(page, source)));
    }
}

void TestCorpus::laterPagesRepeatEarlierOnes()
{
    QCOMPARE(textAt(m_corpus, 10119), textAt(m_corpus, 10101));
    QCOMPARE(textAt(m_corpus, 20128), textAt(m_corpus, 20110));
    for (int page = 11; page <= Numbering::kLastPage; ++page) {
        for (int line = 1; line <= Numbering::kLinesPerPage; ++line) {
            QCOMPARE(m_corpus.lookup(italianKey(page, line)),
                     m_corpus.lookup(italianKey(page - 10, line)));
            QCOMPARE(m_corpus.lookup(englishKey(page, line)),
                     m_corpus.lookup(englishKey(page - 10, line)));
        }
    }
    // Neighbouring dialogues really differ: page 10 is not a copy of page 9.
    QVERIFY(textAt(m_corpus, 11001) != textAt(m_corpus, 10901));
}

void TestCorpus::textForm()
{
    for (int page = 1; page <= 10; ++page) {
        for (int line = 1; line <= Numbering::kLinesPerPage; ++line) {
            for (const bool english : {false, true}) {
                const int key = english ? englishKey(page, line) : italianKey(page, line);
                const QString text = textAt(m_corpus, key);
                const QString where = QStringLiteral("%1 \"%2\"").arg(key).arg(text);
                const int max = english ? kEnglishMax : kItalianMax;
                QVERIFY2(text.size() >= kTextMin && text.size() <= max, qPrintable(where));
                QVERIFY2(text.endsWith("  ") && !text.endsWith("   "), qPrintable(where));
                QVERIFY2(!text.at(0).isSpace() && !text.contains("   "), qPrintable(where));
                for (const QChar c : text) {
                    const bool plain =
                        (c.unicode() < 128 && c.isLetterOrNumber()) || kExtraCharacters.contains(c);
                    QVERIFY2(plain, qPrintable(where));
                }
            }
        }
    }
}

void TestCorpus::syntheticCourseExpands()
{
    const Corpus corpus(toJson(syntheticCourse()));
    QCOMPARE(corpus.size(), 1064);
    QCOMPARE(textAt(corpus, 10101), QStringLiteral("I1.1  "));
    QCOMPARE(textAt(corpus, 10102), QStringLiteral("I1.2  "));
    QCOMPARE(textAt(corpus, 10103), QStringLiteral("I1.1  "));
    QCOMPARE(textAt(corpus, 20128), QStringLiteral("E1.2  "));
    QCOMPARE(textAt(corpus, 10304), QStringLiteral("I3.4  "));
    QCOMPARE(textAt(corpus, 10305), QStringLiteral("I3.1  "));
    QCOMPARE(textAt(corpus, 11011), QStringLiteral("I10.11  "));
    QCOMPARE(textAt(corpus, 11012), QStringLiteral("I10.1  "));
    QCOMPARE(textAt(corpus, 21028), QStringLiteral("E10.6  "));
    QCOMPARE(textAt(corpus, 11928), QStringLiteral("I9.8  "));
    QCOMPARE(textAt(corpus, 21303), QStringLiteral("E3.3  "));
    QVERIFY(!corpus.lookup(12001));
}

void TestCorpus::numbering_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("english");
    QTest::addColumn<bool>("sentence");

    QTest::newRow("first") << 10101 << 1 << 1 << 20101 << true;
    QTest::newRow("last") << 11928 << 19 << 28 << 21928 << true;
    QTest::newRow("line 0 of page 10") << 11000 << 10 << 0 << 21000 << false;
    QTest::newRow("line 29") << 10129 << 1 << 29 << 20129 << false;
    QTest::newRow("topic 10 first") << 11001 << 10 << 1 << 21001 << true;
    QTest::newRow("page 20") << 12001 << 20 << 1 << 22001 << false;
    QTest::newRow("page 0") << 10028 << 0 << 28 << 20028 << false;
}

void TestCorpus::numbering()
{
    QFETCH(int, n);
    QFETCH(int, page);
    QFETCH(int, line);
    QFETCH(int, english);
    QFETCH(bool, sentence);

    QCOMPARE(Numbering::page(n), page);
    QCOMPARE(Numbering::line(n), line);
    QCOMPARE(Numbering::englishKey(n), english);
    QCOMPARE(Numbering::isSentence(n), sentence);
    QCOMPARE(m_corpus.lookup(n).has_value(), sentence);
}

void TestCorpus::nextPageStart_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("next");

    QTest::newRow("end of page 1") << 10128 << 10201;
    QTest::newRow("past page 1") << 10129 << 10201;
    QTest::newRow("end of page 9") << 10928 << 11001;
    QTest::newRow("middle of page 4") << 10417 << 10501;
    QTest::newRow("end of page 18") << 11828 << 11901;
}

void TestCorpus::nextPageStart()
{
    QFETCH(int, n);
    QFETCH(int, next);
    QCOMPARE(Numbering::nextPageStart(n), next);
}

void TestCorpus::captions_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");

    QTest::newRow("0") << 0 << "Entire";
    QTest::newRow("1") << 1 << "Introducing yourself and your family";
    QTest::newRow("2") << 2 << "Saying what you do for a living";
    QTest::newRow("3") << 3 << "Asking for directions";
    QTest::newRow("4") << 4 << "Booking and checking in at a hotel";
    QTest::newRow("5") << 5 << "Buying food and clothes";
    QTest::newRow("6") << 6 << "Buying train tickets";
    QTest::newRow("7") << 7 << "Ordering a meal one";
    QTest::newRow("8") << 8 << "Ordering a meal two";
    QTest::newRow("9") << 9 << "Ordering drinks";
    QTest::newRow("10") << 10 << "Sport and leisure";
    QTest::newRow("below") << -1 << QString();
    QTest::newRow("above") << 11 << QString();
}

void TestCorpus::captions()
{
    QFETCH(int, index);
    QFETCH(QString, caption);
    QCOMPARE(Topics::caption(index), caption);
}

void TestCorpus::malformedDataGivesEmptyTable_data()
{
    QTest::addColumn<QByteArray>("json");

    QFile builtIn(":/content/dialogues.json");
    QVERIFY(builtIn.open(QIODevice::ReadOnly));
    const QByteArray real = builtIn.readAll();

    QJsonObject nineTopics = syntheticCourse();
    QJsonArray dialogues = nineTopics.value("dialogues").toArray();
    dialogues.removeLast();
    nineTopics["dialogues"] = dialogues;

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not JSON") << QByteArray("dialogues");
    QTest::newRow("truncated") << real.left(real.size() / 2);
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe{", 4);
    QTest::newRow("array at top") << QByteArray("[]");
    QTest::newRow("no list") << QByteArray(R"({"pages": []})");
    QTest::newRow("list is an object") << QByteArray(R"({"dialogues": {}})");
    QTest::newRow("empty list") << QByteArray(R"({"dialogues": []})");
    QTest::newRow("nine topics") << toJson(nineTopics);
    QTest::newRow("dialogue not an object") << courseWithDialogue(4, QJsonValue(5));
    QTest::newRow("no topic") << courseWithDialogue(4, QJsonObject{{"lines", repeatedLines(3)}});
    QTest::newRow("topic 0") << courseWithDialogue(
        4, QJsonObject{{"topic", 0}, {"lines", repeatedLines(3)}});
    QTest::newRow("topic 11") << courseWithDialogue(
        4, QJsonObject{{"topic", 11}, {"lines", repeatedLines(3)}});
    QTest::newRow("topic as text")
        << courseWithDialogue(4, QJsonObject{{"topic", "5"}, {"lines", repeatedLines(3)}});
    QTest::newRow("fractional topic")
        << courseWithDialogue(4, QJsonObject{{"topic", 5.5}, {"lines", repeatedLines(3)}});
    QTest::newRow("topic twice") << courseWithDialogue(
        4, QJsonObject{{"topic", 4}, {"lines", repeatedLines(3)}});
    QTest::newRow("no lines") << courseWithDialogue(
        4, QJsonObject{{"topic", 5}, {"lines", QJsonArray()}});
    QTest::newRow("lines not a list")
        << courseWithDialogue(4, QJsonObject{{"topic", 5}, {"lines", "Ciao"}});
    QTest::newRow("29 lines") << courseWithDialogue(
        4, QJsonObject{{"topic", 5}, {"lines", repeatedLines(29)}});
    QTest::newRow("line is a text") << courseWithLine(QJsonValue("Ciao  "));
    QTest::newRow("line with one text") << courseWithLine(QJsonArray{"Ciao  "});
    QTest::newRow("line with three texts")
        << courseWithLine(QJsonArray{"Ciao  ", "Hello  ", "Hi  "});
    QTest::newRow("line with a number") << courseWithLine(QJsonArray{"Ciao  ", 7});
    QTest::newRow("empty Italian text") << courseWithLine(QJsonArray{"", "Hello  "});
    QTest::newRow("empty English text") << courseWithLine(QJsonArray{"Ciao  ", ""});
}

void TestCorpus::malformedDataGivesEmptyTable()
{
    QFETCH(QByteArray, json);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Corpus: dialogues not loaded: "));
    const Corpus corpus(json);
    QCOMPARE(corpus.size(), 0);
    QVERIFY(!corpus.lookup(10101));
    QVERIFY(!corpus.lookup(20101));
}

void TestCorpus::spelling_data()
{
    QTest::addColumn<QString>("dictionary");
    QTest::addColumn<int>("offset");

    QTest::newRow("Italian") << "it_IT" << 0;
    QTest::newRow("English") << "en_US" << Numbering::kEnglishOffset;
}

void TestCorpus::spelling()
{
    QFETCH(QString, dictionary);
    QFETCH(int, offset);

    const QString hunspell = QStandardPaths::findExecutable("hunspell");
    if (hunspell.isEmpty())
        QSKIP("hunspell is not installed (scripts/test installs it)");
    QString path = findDictionary(hunspell, dictionary);
    if (path.isEmpty())
        QSKIP(qPrintable(dictionary + " hunspell dictionary is not installed (scripts/test "
                                      "installs it)"));

    QTemporaryDir work;
    QVERIFY(work.isValid());
    if (dictionary == "it_IT") {
        const QString copy = work.filePath(dictionary);
        QVERIFY(copyWithApostrophe(path, copy));
        path = copy;
    }

    QStringList texts; // each dialogue once, without its repetition
    for (int page = 1; page <= 10; ++page) {
        for (int line = 1; line <= kDialogueLengths[page - 1]; ++line)
            texts.append(textAt(m_corpus, italianKey(page, line) + offset).trimmed());
    }
    bool ok = false;
    const QString output =
        runHunspell(hunspell, {"-l", "-i", "UTF-8", "-d", path}, texts.join('\n').toUtf8() + '\n',
                    QProcess::SeparateChannels, &ok);
    QVERIFY2(ok, "hunspell did not run to the end");

    QStringList unknown;
    for (const QString& word : output.split('\n', Qt::SkipEmptyParts)) {
        const auto allowed = [&](const char* name) { return word == QLatin1String(name); };
        if (std::any_of(kAllowedWords.begin(), kAllowedWords.end(), allowed))
            continue;
        const auto text = std::find_if(texts.cbegin(), texts.cend(),
                                       [&](const QString& t) { return t.contains(word); });
        unknown.append(word + " in \"" + (text != texts.cend() ? *text : QString()) + '"');
    }
    QVERIFY2(unknown.isEmpty(), qPrintable(unknown.join("; ")));
}

QTEST_MAIN(TestCorpus)
#include "tst_corpus.moc"
