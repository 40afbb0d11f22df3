#include "UnexpectedWarnings.h"
#include "content/Corpus.h"
#include "content/Numbering.h"
#include "content/Topics.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestCorpus : public QObject {
    Q_OBJECT

    // Lines of each page's dialogue before it starts again (pages 1..10).
    static constexpr int kDialogueLengths[10] = {18, 18, 12, 23, 27, 23, 28, 11, 28, 11};

    // Whether each dialogue's speakers say Lei (strangers, clerks, waiters, who
    // say voi to a table) or tu (friends and family), pages 1..10.
    static constexpr bool kFormal[10] = {false, true, true, true, false,
                                         true,  true, true, true, false};

    QString text(int key) const { return m_corpus.lookup(key).value_or(QString()); }

    // One dialogue's texts in one language, each once, without the trailing blanks.
    QStringList dialogue(int page, int offset) const
    {
        QStringList texts;
        for (int line = 1; line <= kDialogueLengths[page - 1]; ++line)
            texts.append(text(Numbering::sentence(page, line) + offset).trimmed());
        return texts;
    }

    Corpus m_corpus;

private Q_SLOTS:
    void init() { failOnUnexpectedWarnings(); }
    void table()
    {
        QCOMPARE(m_corpus.size(), 1064);
        for (int page = 0; page <= 20; ++page) {
            for (int line = 0; line <= 29; ++line) {
                const int key = Numbering::sentence(page, line);
                QCOMPARE(Numbering::page(key), page);
                QCOMPARE(Numbering::line(key), line);
                QCOMPARE(Numbering::nextPageStart(key), Numbering::sentence(page + 1, 1));
                // Every page and line in both languages, and nothing just outside them.
                const bool inside = page >= 1 && page <= 19 && line >= 1 && line <= 28;
                QCOMPARE(m_corpus.lookup(key).has_value(), inside);
                QCOMPARE(m_corpus.lookup(Numbering::englishKey(key)).has_value(), inside);
                if (!inside || page > 10)
                    continue;
                for (const int k : {key, Numbering::englishKey(key)}) {
                    const QString t = text(k);
                    // A short dialogue starts again to fill its page; pages 11..19 replay 1..9.
                    QCOMPARE(t, text(k - line + (line - 1) % kDialogueLengths[page - 1] + 1));
                    QVERIFY2(page == 10 || text(k + 1000) == t, qPrintable(t));
                    // 7 to 100 (English 87) characters, ending in exactly two spaces.
                    QVERIFY2(t.size() >= 7 && t.size() <= (k > 20000 ? 87 : 100) &&
                                 !t.at(0).isSpace() && t.endsWith("  ") && !t.endsWith("   "),
                             qPrintable(t));
                }
            }
        }
        // Stored exactly, trailing spaces included.
        QCOMPARE(text(10101) + text(20101), QStringLiteral("Quanti anni hai?  How old are you?  "));
        QCOMPARE(text(10201) + text(20201), QStringLiteral("Che lavoro fa?  What do you do?  "));
        QCOMPARE(Topics::caption(0), QStringLiteral("Entire"));
        QCOMPARE(Topics::caption(10), QStringLiteral("Sport and leisure"));
        QVERIFY(Topics::caption(-1).isEmpty() && Topics::caption(11).isEmpty());
    }

    void malformedData_data()
    {
        QTest::addColumn<QByteArray>("json");
        QFile file(":/content/dialogues.json");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray data = file.readAll();
        const QByteArray line = R"(["Che dolci avete?  ", "What desserts do you have?  "],)";
        QTest::newRow("truncated") << data.left(data.size() / 2);
        QTest::newRow("topic twice") << QByteArray(data).replace(R"("topic": 5)", R"("topic": 4)");
        QTest::newRow("29 lines") << QByteArray(data).replace(line, line + line);
        QTest::newRow("one text") << QByteArray(data).replace(R"(, "How old are you?  ")", "");
        QTest::newRow("empty text") << QByteArray(data).replace("How old are you?  ", "");
        // A line's third text is the way it is said: a text, if there at all.
        QTest::newRow("empty spoken form")
            << QByteArray(data).replace(R"("What do you do?  ")", R"("What do you do?  ", "")");
        QTest::newRow("four texts") << QByteArray(data).replace(R"("What do you do?  ")",
                                                                R"("What do you do?  ", "a", "b")");
    }

    // Any fault leaves the whole table empty rather than a course with holes.
    void malformedData()
    {
        QFETCH(QByteArray, json);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Corpus: dialogues not loaded: "));
        const Corpus corpus(json);
        QCOMPARE(corpus.size(), 0);
    }

    void spelling_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("Italian") << "it_IT";
        QTest::newRow("English") << "en_US";
    }

    void spelling()
    {
        QFETCH(QString, language);
        const int offset = language == "it_IT" ? 0 : Numbering::kEnglishOffset;
        QString dictionary = "/usr/share/hunspell/" + language;
        const QString hunspell = QStandardPaths::findExecutable("hunspell");
        if (hunspell.isEmpty() || !QFile::exists(dictionary + ".dic"))
            QSKIP("hunspell or its dictionary is missing (scripts/test installs them)");
        QTemporaryDir work;
        if (language == "it_IT") {
            // Stock Italian hunspell cuts "dell'acqua" at the apostrophe; as a word
            // letter it keeps elided forms whole and catches "perche'" for "perché".
            QFile affix(dictionary + ".aff"), copy(work.filePath("it.aff"));
            QVERIFY(affix.open(QIODevice::ReadOnly) && copy.open(QIODevice::WriteOnly));
            QVERIFY(copy.write(affix.readAll() + "\nWORDCHARS '\n") > 0 && copy.flush());
            QVERIFY(QFile::copy(dictionary + ".dic", work.filePath("it.dic")));
            dictionary = work.filePath("it");
        }
        QStringList texts; // each dialogue once, without its repetition
        for (int page = 1; page <= 10; ++page)
            texts += dialogue(page, offset);
        QProcess process;
        process.start(hunspell, {"-l", "-i", "UTF-8", "-d", dictionary});
        process.write(texts.join('\n').toUtf8() + '\n');
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished(120000) && process.exitCode() == 0);
        QStringList unknown =
            QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        // Names of people, places and dishes that the dictionaries do not know.
        for (const char* name :
             {"Giulia", "Rossi", "margherita", "panna", "porcini", "prosecco", "spritz"})
            unknown.removeAll(name);
        QVERIFY2(unknown.isEmpty(), qPrintable(unknown.join(", ")));
    }

    void dialogues_data()
    {
        QTest::addColumn<int>("page");
        for (int page = 1; page <= 10; ++page)
            QTest::addRow("%d %s", page, qPrintable(Topics::caption(page))) << page;
    }

    // No line twice in one dialogue, whatever its case (so its length is where
    // it repeats), and a line asks a question in Italian exactly when its
    // English does. The register table agrees with the text, and a dialogue in
    // Lei writes its courtesy forms capitalised: "il Suo lavoro", never "il suo".
    void dialogues()
    {
        QFETCH(int, page);
        const QStringList italian = dialogue(page, 0);
        const QStringList english = dialogue(page, Numbering::kEnglishOffset);
        for (const QStringList& lines : {italian, english}) {
            QSet<QString> seen;
            for (const QString& line : lines) {
                QVERIFY2(!seen.contains(line.toCaseFolded()), qPrintable(line));
                seen.insert(line.toCaseFolded());
            }
        }
        for (qsizetype i = 0; i < italian.size(); ++i)
            QVERIFY2(italian[i].contains('?') == english[i].contains('?'),
                     qPrintable(italian[i] + " / " + english[i]));

        const QString text = italian.join('\n');
        const auto options = QRegularExpression::UseUnicodePropertiesOption;
        // tu and its forms ("sei" is left out: it is also six).
        static const QRegularExpression tu(R"(\b(?i:tu|ti|te|tuo|tua|tuoi|tue|hai)\b)", options);
        // A courtesy pronoun capitalised inside a sentence, or Scusi / Senta.
        static const QRegularExpression lei(
            R"((?<=[\p{L},] )(Lei|Le|La|Suo|Sua|Suoi|Sue)\b|\b(Scusi|Senta)\b)", options);
        // The same forms lowercase: lei, suo, sua, suoi, sue, and le after che or non.
        static const QRegularExpression lowercase(R"(\b(lei|suo|sua|suoi|sue)\b|\b(che|non) le\b)",
                                                  options);
        const QRegularExpressionMatch informal = tu.match(text);
        if (kFormal[page - 1]) {
            QVERIFY2(!informal.hasMatch(), qPrintable(informal.captured()));
            const QRegularExpressionMatch small = lowercase.match(text);
            QVERIFY2(!small.hasMatch(), qPrintable(small.captured()));
        } else {
            QVERIFY2(informal.hasMatch(), "a dialogue in tu with no tu in it");
            const QRegularExpressionMatch polite = lei.match(text);
            QVERIFY2(!polite.hasMatch(), qPrintable(polite.captured()));
        }
    }
};

QTEST_MAIN(TestCorpus)
#include "tst_corpus.moc"
