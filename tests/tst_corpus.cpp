#include "UnexpectedWarnings.h"
#include "content/Corpus.h"
#include "content/Numbering.h"
#include "content/Topics.h"
#include "playback/PairSource.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

class TestCorpus : public QObject {
    Q_OBJECT

    // Lines of each page's dialogue before it starts again (pages 1..10).
    static constexpr int kDialogueLengths[10] = {18, 18, 12, 23, 27, 23, 28, 11, 28, 11};

    QString text(int key) const { return m_corpus.lookup(key).value_or(QString()); }

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

    // A pair is a sentence and its own translation.
    void pair()
    {
        PlaybackState state;
        state.playMode = 1;
        state.nextSentence = 10417;
        const SentencePair pair = PairSource(m_corpus, 1).next(state);
        QCOMPARE(pair.italian, m_corpus.lookup(10417));
        QCOMPARE(pair.english, m_corpus.lookup(20417));
    }
};

QTEST_MAIN(TestCorpus)
#include "tst_corpus.moc"
