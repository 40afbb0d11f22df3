#include "StripRig.h"
#include "app/StripPicture.h"
#include "content/Numbering.h"
#include "ui/Form4.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTest>

namespace {

const QString kWelcome = QStringLiteral(" Welcome to use Quorvel V1.01.");

QString spaces(int n)
{
    return QString(n, QLatin1Char(' '));
}

// The sentence number, within [first, last], whose texts are on show.
int sentenceOnShow(const StripRig& rig, int first, int last)
{
    for (int n = first; n <= last; ++n) {
        if (rig.corpus.lookup(n) == rig.form.mstrItalian &&
            rig.corpus.lookup(Numbering::englishKey(n)) == rig.form.mstrEnglish)
            return n;
    }
    return 0;
}

// Runs whatever Timer3/Timer4 animation is under way to its end.
void finishAnimations(Form1& form)
{
    for (int i = 0; i < 100 && form.Timer4->isActive(); ++i)
        form.Timer4_Timer();
    for (int i = 0; i < 100 && form.Timer3->isActive(); ++i)
        form.Timer3_Timer();
}

bool italianShown(const Form1& form)
{
    return form.Label1->text() == QLatin1Char(' ') + form.mstrItalian;
}

bool englishShown(const Form1& form)
{
    return form.label2TopTwips() == 60 &&
           form.Label2->text() == QLatin1Char(' ') + form.mstrEnglish;
}

QWidget* topLevelNamed(const QString& name)
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == name)
            return w;
    }
    return nullptr;
}

// Counts the repaints and relayouts of a widget and all its children.
class RepaintCounter : public QObject {
public:
    explicit RepaintCounter(QWidget* root)
    {
        root->installEventFilter(this);
        for (QWidget* child : root->findChildren<QWidget*>())
            child->installEventFilter(this);
    }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Paint:
        case QEvent::Resize:
        case QEvent::Move:
        case QEvent::LayoutRequest:
            ++count;
            break;
        default:
            break;
        }
        return false;
    }
};

} // namespace

class TestStrip : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void layout_data();
    void layout();
    void windowAndCaptions();
    void startup_data();
    void startup();
    void startupWithoutCharacter();
    void startupMessageComesBeforeTimers();
    void welcome_data();
    void welcome();
    void welcomeWaitsWhileMenuPictureDisabled();
    void displayCycle_data();
    void displayCycle();
    void animations();
    void repetitions_data();
    void repetitions();
    void missingString_data();
    void missingString();
    void missingStringHoldsTheCycle();
    void defaultMessageBox();
    void autoHide_data();
    void autoHide();
    void blink_data();
    void blink();
    void blinkIsDrawnOverTheWholeStrip();
    void idleTicksRepaintNothing();
    void countersStopAtTheirLimit();
    void menuPicture_data();
    void menuPicture();
    void activateBringsStripAndCharacterForward();
};

void TestStrip::layout_data()
{
    QTest::addColumn<double>("twipsPerPixel");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("pixels");

    QTest::newRow("Label1") << 15.0 << "Label1" << QRect(0, 3, 885, 19);
    QTest::newRow("Label2 parked") << 15.0 << "Label2" << QRect(0, 27, 443, 22);
    QTest::newRow("Label3 hairline") << 15.0 << "Label3" << QRect(0, 0, 420, 1);
    QTest::newRow("Label4") << 15.0 << "Label4" << QRect(456, 1, 27, 22);
    QTest::newRow("Image1") << 15.0 << "Image1" << QRect(456, 3, 18, 18);
    QTest::newRow("Shape1") << 15.0 << "Shape1" << QRect(0, 1, 476, 22);
    QTest::newRow("Label1 at 120 dpi") << 12.0 << "Label1" << QRect(0, 4, 1107, 23);
    QTest::newRow("Image1 at 120 dpi") << 12.0 << "Image1" << QRect(570, 4, 23, 23);
    QTest::newRow("Label3 at 120 dpi") << 12.0 << "Label3" << QRect(0, 0, 525, 1);
}

void TestStrip::layout()
{
    QFETCH(double, twipsPerPixel);
    QFETCH(QString, name);
    QFETCH(QRect, pixels);

    StripRig rig(StripRig::Options().atTwipsPerPixel(twipsPerPixel));
    QWidget* control = rig.form.findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), pixels);
}

void TestStrip::windowAndCaptions()
{
    StripRig rig;
    Form1& form = rig.form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Form1"));
    const Qt::WindowFlags flags = form.windowFlags();
    QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
    QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    QCOMPARE(form.windowType(), Qt::Tool);
    QVERIFY(form.testAttribute(Qt::WA_ShowWithoutActivating));
    QCOMPARE(form.size(), QSize(477, 23));

    for (QLabel* line : {form.Label1, form.Label2}) {
        QCOMPARE(line->font().families().value(0), QStringLiteral("Arial"));
        QVERIFY(line->font().families().contains(QStringLiteral("Liberation Sans")));
        QCOMPARE(line->font().pointSizeF(), 10.5);
        QCOMPARE(line->palette().color(QPalette::WindowText), QColor(Qt::white));
        QVERIFY(!line->autoFillBackground());
        QVERIFY(!line->wordWrap());
        QVERIFY(line->alignment().testFlag(Qt::AlignLeft));
    }
    QVERIFY(form.Label3->autoFillBackground());
    QVERIFY(form.Label4->autoFillBackground());
    QCOMPARE(form.Label4->palette().color(QPalette::Window),
             form.palette().color(QPalette::Window));

    // The picture is on top where it overlaps the labels; the outline never
    // takes the mouse from them.
    QCOMPARE(form.childAt(form.Image1->geometry().center()), form.Image1);
    QCOMPARE(form.childAt(QPoint(470, 2)), form.Label4);
    QCOMPARE(form.childAt(QPoint(200, 10)), form.Label1);
    QVERIFY(form.findChild<QFrame*>(QStringLiteral("Shape1"))
                ->testAttribute(Qt::WA_TransparentForMouseEvents));
    QVERIFY(form.Image1->hasMouseTracking());

    const QStringList timers{"Timer1", "Timer2", "Timer3", "Timer4", "Timer5"};
    for (const QString& name : timers)
        QVERIFY2(form.findChild<QTimer*>(name), qPrintable(name));
}

void TestStrip::startup_data()
{
    QTest::addColumn<StripRig::Stored>("stored");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("firstSentence");
    QTest::addColumn<int>("lastSentence");
    QTest::addColumn<int>("position");

    const QStringList character{"Load:Peedy:", "Show", "LanguageID:1040"};
    const QStringList firstRunWrites{"write:ce",    "write:n",     "write:ctime",  "write:etime",
                                     "write:rd",    "write:psave", "write:ssave",  "write:visi",
                                     "write:voice", "write:guage", "write:guagen", "write:red",
                                     "write:mark",  "write:xxx",   "write:left",   "write:sspeed"};

    // First run: topic 1 at random, the strip at half the screen minus 2000 twips.
    QTest::newRow("first run") << StripRig::Stored{} << character + firstRunWrites << 379 << 10101
                               << 10128 << 11000;
    QTest::newRow("stored file, sequence through the course")
        << StripRig::Stored{{"left", "1500"}, {"rd", "1"}, {"guage", "0"}, {"guagen", "10205"}}
        << character << 100 << 10205 << 10205 << 10206;
    QTest::newRow("stored left off the screen is kept")
        << StripRig::Stored{{"left", "-3000"}, {"rd", "1"}, {"guage", "3"}, {"guagen", "10329"}}
        << character << -200 << 10301 << 10301 << 10302;
}

void TestStrip::startup()
{
    QFETCH(StripRig::Stored, stored);
    QFETCH(QStringList, calls);
    QFETCH(int, left);
    QFETCH(int, firstSentence);
    QFETCH(int, lastSentence);
    QFETCH(int, position);

    StripRig rig(StripRig::Options().storing(stored));
    Form1& form = rig.form;
    form.Form_Load();

    // Character first, then the settings, and the character placed last,
    // just below the right end of the strip.
    const QString moveTo = QStringLiteral("MoveTo:%1,%2").arg(left + 477).arg(23 + 6);
    QCOMPARE(rig.log, calls + QStringList{moveTo});

    QVERIFY(form.isHidden());
    QCOMPARE(form.pos(), QPoint(left, 0));
    QCOMPARE(form.mrctWindow, QRect(left, 0, 477, 23));
    QCOMPARE(form.mlngFullHeight, 340);
    QVERIFY(form.isFullHeight());

    Form4* splash = form.startupWindow();
    QVERIFY(splash);
    QVERIFY(splash->isVisible());
    // Half the screen minus 1000 twips across, minus 1800 twips down.
    QCOMPARE(splash->pos(), QPoint(445, 264));

    QVERIFY(form.Timer1->isActive());
    QVERIFY(form.Timer2->isActive());
    QCOMPARE(form.Timer1->interval(), 60);
    QCOMPARE(form.Timer2->interval(), 1500);
    for (QTimer* stopped : {form.Timer3, form.Timer4, form.Timer5})
        QVERIFY(!stopped->isActive());
    QCOMPARE(form.Timer3->interval(), 50);
    QCOMPARE(form.Timer4->interval(), 80);
    QCOMPARE(form.Timer5->interval(), 100);

    QCOMPARE(rig.state.gintCountdown, qint16(70));
    QCOMPARE(rig.state.gintTick, qint16(0));
    QCOMPARE(rig.state.gintPhase, qint16(0));
    QCOMPARE(form.mintStripColor, qint16(10));

    // The first pair was loaded with the stored settings in force.
    QVERIFY(sentenceOnShow(rig, firstSentence, lastSentence) != 0);
    QCOMPARE(rig.state.gintNextSentence, qint16(position));
    QVERIFY(rig.messages.isEmpty());
    rig.stopTimers();
}

void TestStrip::startupWithoutCharacter()
{
    StripRig rig(StripRig::Options().withoutCharacter());
    rig.start();
    QVERIFY(!rig.form.mobjAgent);
    QCOMPARE(rig.log.first(), QStringLiteral("Load:Peedy:"));
    QVERIFY(!rig.log.contains(QStringLiteral("Show")));
    QVERIFY(rig.form.startupWindow());

    // Playback goes on with the lines alone.
    rig.runWelcome();
    for (int tick = 0; tick < 100; ++tick)
        rig.form.Timer5_Timer();
    QCOMPARE(rig.state.gintCycle, qint16(1));
    QCOMPARE(rig.state.gintPhase, qint16(1));
    rig.form.activate();
    QVERIFY(rig.form.isVisible());
}

void TestStrip::startupMessageComesBeforeTimers()
{
    StripRig rig(StripRig::Options()
                     .storing({{"rd", "1"}, {"guage", "0"}, {"guagen", "10517"}})
                     .reading(Corpus(QByteArray("{}"))));
    bool timersIdle = false;
    rig.form.setMessageHandler([&](const QString& text) {
        rig.messages << text;
        timersIdle = !rig.form.Timer1->isActive() && !rig.form.Timer2->isActive();
    });
    rig.start();
    QCOMPARE(rig.messages, QStringList{QStringLiteral("10517")});
    QVERIFY(timersIdle);
    QCOMPARE(rig.form.mstrItalian, QString());
    QCOMPARE(rig.form.mrctWindow.height(), 23);
}

void TestStrip::welcome_data()
{
    QTest::addColumn<int>("ticks");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("stripVisible");
    QTest::addColumn<bool>("splashUp");
    QTest::addColumn<bool>("playing");
    QTest::addColumn<int>("countdown");

    QTest::newRow("first tick") << 1 << spaces(49) + kWelcome << false << true << false << 69;
    QTest::newRow("19 ticks") << 19 << spaces(31) + kWelcome << false << true << false << 51;
    QTest::newRow("20 ticks: strip shown")
        << 20 << spaces(30) + kWelcome << true << false << false << 50;
    QTest::newRow("47 ticks") << 47 << spaces(3) + kWelcome << true << false << false << 23;
    QTest::newRow("49 ticks: scrolled in")
        << 49 << spaces(1) + kWelcome << true << false << false << 21;
    QTest::newRow("50 ticks: standing") << 50 << kWelcome << true << false << false << 20;
    QTest::newRow("67 ticks: standing") << 67 << kWelcome << true << false << false << 3;
    QTest::newRow("68 ticks: playback starts") << 68 << " " << true << false << true << 2;
    QTest::newRow("69 ticks") << 69 << " " << true << false << true << 1;
    QTest::newRow("70 ticks: run out") << 70 << " " << true << false << true << 1;
    QTest::newRow("500 ticks") << 500 << " " << true << false << true << 1;
}

void TestStrip::welcome()
{
    QFETCH(int, ticks);
    QFETCH(QString, line);
    QFETCH(bool, stripVisible);
    QFETCH(bool, splashUp);
    QFETCH(bool, playing);
    QFETCH(int, countdown);

    StripRig rig;
    rig.start();
    for (int i = 0; i < ticks; ++i)
        rig.form.Timer1_Timer();
    QCOMPARE(rig.form.Label1->text(), line);
    QCOMPARE(rig.form.isVisible(), stripVisible);
    QCOMPARE(rig.form.startupWindow() != nullptr, splashUp);
    QCOMPARE(rig.form.Timer5->isActive(), playing);
    QCOMPARE(rig.state.gintCountdown, qint16(countdown));
    rig.stopTimers();
}

void TestStrip::welcomeWaitsWhileMenuPictureDisabled()
{
    StripRig rig;
    rig.start();
    rig.form.Image1->setEnabled(false);
    for (int i = 0; i < 200; ++i)
        rig.form.Timer1_Timer();
    QVERIFY(!rig.form.Timer5->isActive());
    QCOMPARE(rig.form.Label1->text(), QStringLiteral(" "));
    QCOMPARE(rig.state.gintCountdown, qint16(1));
}

void TestStrip::displayCycle_data()
{
    QTest::addColumn<int>("order");
    QTest::addColumn<int>("readAloud");
    QTest::addColumn<int>("italianTime");
    QTest::addColumn<int>("englishTime");
    QTest::addColumn<int>("italianFrom"); // first and last tick the line stands
    QTest::addColumn<int>("italianTo");
    QTest::addColumn<int>("englishFrom");
    QTest::addColumn<int>("englishTo");
    QTest::addColumn<int>("cycleTicks");

    QTest::newRow("italian first, read aloud") << 1 << 1 << 5 << 3 << 1 << 50 << 51 << 81 << 82;
    QTest::newRow("italian first, silent") << 1 << 0 << 5 << 3 << 1 << 50 << 51 << 81 << 82;
    QTest::newRow("english first, read aloud") << 0 << 1 << 5 << 3 << 31 << 81 << 1 << 30 << 82;
    QTest::newRow("english first (2), silent") << 2 << 2 << 5 << 3 << 31 << 81 << 1 << 30 << 82;
    QTest::newRow("italian first, 7 s and 4 s") << 1 << 1 << 7 << 4 << 1 << 70 << 71 << 111 << 112;
    QTest::newRow("english first, 15 s and 15 s")
        << 0 << 1 << 15 << 15 << 151 << 301 << 1 << 150 << 302;
}

void TestStrip::displayCycle()
{
    QFETCH(int, order);
    QFETCH(int, readAloud);
    QFETCH(int, italianTime);
    QFETCH(int, englishTime);
    QFETCH(int, italianFrom);
    QFETCH(int, italianTo);
    QFETCH(int, englishFrom);
    QFETCH(int, englishTo);
    QFETCH(int, cycleTicks);

    StripRig rig;
    rig.start();
    rig.runWelcome();
    rig.state.gintLanguageOrder = qint16(order);
    rig.state.gintReadAloud = qint16(readAloud);
    rig.state.gintItalianTime = qint16(italianTime);
    rig.state.gintEnglishTime = qint16(englishTime);
    rig.state.gintRepeats = 2;
    rig.log.clear();

    const int italianStart = order == 1 ? italianFrom : englishTo + 1;
    qsizetype seen = 0;
    for (int t = 1; t <= cycleTicks + 1; ++t) {
        rig.form.Timer5_Timer();
        finishAnimations(rig.form);
        // The last tick here is the first of the next cycle.
        const int c = (t - 1) % cycleTicks + 1;
        QCOMPARE(italianShown(rig.form), c >= italianFrom && c <= italianTo);
        QCOMPARE(englishShown(rig.form), c >= englishFrom && c <= englishTo);

        // The parrot speaks (if reading aloud) and waves as the Italian
        // line starts, and at no other tick.
        const bool italianStarts = c == italianStart;
        QStringList expected;
        if (italianStarts && readAloud == 1)
            expected << QStringLiteral("Speak:") + rig.form.mstrItalian;
        if (italianStarts)
            expected << QStringLiteral("Play:Wave");
        QCOMPARE(rig.log.mid(seen), expected);
        seen = rig.log.size();
    }
    // The end of the cycle counted it; the tick after it started the next
    // cycle from phase 0.
    QCOMPARE(rig.state.gintCycle, qint16(1));
    QCOMPARE(rig.state.gintTick, qint16(1));
    QCOMPARE(rig.state.gintPhase, qint16(1));
    QCOMPARE(rig.form.label2TopTwips(), order == 1 ? 400 : 60);
    QVERIFY(!rig.log.contains(QStringLiteral("Speak:") + rig.form.mstrEnglish));
}

void TestStrip::animations()
{
    StripRig rig;
    rig.start();
    Form1& form = rig.form;
    form.mstrItalian = QStringLiteral("Ciao!");
    form.mstrEnglish = QStringLiteral("Hi!");

    // The Italian line enters from the right, one position a tick.
    form.Timer4->start();
    form.Timer4_Timer();
    QCOMPARE(form.Label1->text(), spaces(36) + "Ciao!");
    for (int i = 2; i < 36; ++i)
        form.Timer4_Timer();
    QCOMPARE(form.Label1->text(), spaces(2) + "Ciao!");
    QVERIFY(form.Timer4->isActive());
    form.Timer4_Timer();
    QCOMPARE(form.Label1->text(), spaces(1) + "Ciao!");
    QVERIFY(!form.Timer4->isActive());
    QCOMPARE(form.mintScrollStep, qint16(0));

    // The English line slides up 10 twips a tick, from 400 to 60.
    form.Timer3->start();
    form.Timer3_Timer();
    QCOMPARE(form.Label2->text(), QStringLiteral(" Hi!"));
    QCOMPARE(form.label2TopTwips(), 390);
    for (int i = 2; i <= 34; ++i)
        form.Timer3_Timer();
    QCOMPARE(form.label2TopTwips(), 60);
    QCOMPARE(form.Label2->y(), 4);
    QVERIFY(form.Timer3->isActive());
    form.Timer3_Timer();
    QVERIFY(!form.Timer3->isActive());
    QCOMPARE(form.label2TopTwips(), 60);
}

void TestStrip::repetitions_data()
{
    QTest::addColumn<int>("repeats");
    QTest::newRow("once") << 1;
    QTest::newRow("twice") << 2;
    QTest::newRow("three times") << 3;
}

void TestStrip::repetitions()
{
    QFETCH(int, repeats);

    StripRig rig(StripRig::Options().storing({{"rd", "1"}, {"guage", "0"}, {"guagen", "10101"}}));
    rig.start();
    rig.runWelcome();
    rig.state.gintLanguageOrder = 1;
    rig.state.gintItalianTime = 5;
    rig.state.gintEnglishTime = 3;
    rig.state.gintRepeats = qint16(repeats);

    constexpr int kCycleTicks = 82;
    for (int cycle = 0; cycle < 4; ++cycle) {
        rig.form.Timer5_Timer(); // first tick of the cycle: a new pair, if due
        const int expected = 10101 + cycle / repeats;
        QCOMPARE(sentenceOnShow(rig, expected, expected), expected);
        QCOMPARE(rig.state.gintNextSentence, qint16(expected + 1));
        QCOMPARE(rig.form.Label1->toolTip(), rig.form.mstrItalian);
        QCOMPARE(rig.form.Label2->toolTip(), rig.form.mstrEnglish);
        for (int t = 2; t <= kCycleTicks; ++t)
            rig.form.Timer5_Timer();
        QCOMPARE(rig.state.gintCycle, qint16((cycle % repeats) + 1));
    }
}

void TestStrip::missingString_data()
{
    QTest::addColumn<StripRig::Stored>("stored");
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("tooltips");
    QTest::addColumn<int>("position");

    QTest::newRow("sequence, whole course")
        << StripRig::Stored{{"rd", "1"}, {"guage", "0"}, {"guagen", "10206"}} << "10206" << true
        << 10207;
    QTest::newRow("sequence, topic 4")
        << StripRig::Stored{{"rd", "1"}, {"guage", "4"}, {"guagen", "10410"}} << "10410" << true
        << 10411;
    QTest::newRow("random, topic 2")
        << StripRig::Stored{{"rd", "0"}, {"guage", "2"}, {"guagen", "10410"}} << "" << false
        << 10410;
}

// A corpus without the texts: the message names the number, the previous
// texts stay, and a sequence still moves on.
void TestStrip::missingString()
{
    QFETCH(StripRig::Stored, stored);
    QFETCH(QString, number);
    QFETCH(bool, tooltips);
    QFETCH(int, position);

    StripRig rig(StripRig::Options().storing(stored).reading(Corpus(QByteArray("{}"))));
    rig.start();
    rig.messages.clear();
    rig.form.mstrItalian = QStringLiteral("Buongiorno.");
    rig.form.mstrEnglish = QStringLiteral("Good morning.");
    rig.form.Label1->setToolTip(QStringLiteral("before"));
    rig.state.gintNextSentence = qint16(number.isEmpty() ? position : number.toInt());

    rig.form.Load_Sentence_Pair();

    QCOMPARE(rig.messages.size(), 1);
    if (!number.isEmpty())
        QCOMPARE(rig.messages.first(), number);
    else
        QVERIFY(rig.messages.first().toInt() / 100 == 102); // a line of topic 2
    QCOMPARE(rig.form.mstrItalian, QStringLiteral("Buongiorno."));
    QCOMPARE(rig.form.mstrEnglish, QStringLiteral("Good morning."));
    QCOMPARE(rig.form.Label1->toolTip(),
             tooltips ? QStringLiteral("Buongiorno.") : QStringLiteral("before"));
    QCOMPARE(rig.state.gintNextSentence, qint16(position));
}

void TestStrip::missingStringHoldsTheCycle()
{
    StripRig rig(StripRig::Options()
                     .storing({{"rd", "1"}, {"guage", "0"}, {"guagen", "10101"}})
                     .reading(Corpus(QByteArray("{}"))));
    rig.start();
    rig.runWelcome();
    rig.state.gintCycle = rig.state.gintRepeats;
    qint16 tickDuringMessage = -1;
    rig.form.setMessageHandler([&](const QString& text) {
        rig.messages << text;
        // Ticks that come while the message is up change nothing.
        const qint16 before = rig.state.gintTick;
        rig.form.Timer5_Timer();
        tickDuringMessage = rig.state.gintTick == before ? before : qint16(-1);
    });
    rig.messages.clear();
    rig.form.Timer5_Timer();
    QCOMPARE(rig.messages, QStringList{QStringLiteral("10102")});
    QCOMPARE(tickDuringMessage, qint16(1));
    // The cycle goes on with the texts it had.
    QCOMPARE(rig.state.gintPhase, qint16(1));
    QVERIFY(rig.form.Timer4->isActive());
    rig.stopTimers();
}

// With no handler of its own the strip asks with a modal box: the number,
// the program's title, OK only.
void TestStrip::defaultMessageBox()
{
    StripRig rig(StripRig::Options().reading(Corpus(QByteArray("{}"))));
    rig.form.setMessageHandler(nullptr);
    QStringList seen;
    // Answered as soon as it is up; nothing waits for time to pass.
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen << box->windowTitle() << box->text();
        seen << (box->standardButtons() == QMessageBox::Ok ? "OK only" : "other buttons");
        box->accept();
    });
    rig.state.gintPlayMode = 1;
    rig.state.gintTopic = 5;
    rig.state.gintNextSentence = 10507;
    rig.form.Load_Sentence_Pair();
    QCOMPARE(seen, (QStringList{"Quorvel", "10507", "OK only"}));
    QCOMPARE(rig.state.gintNextSentence, qint16(10508));
}

void TestStrip::autoHide_data()
{
    QTest::addColumn<int>("countdown"); // after the tick; 0 = run out
    QTest::addColumn<int>("autoHide");
    QTest::addColumn<bool>("startOpen");
    QTest::addColumn<bool>("dragging");
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<bool>("open");

    // The strip spans x 100..576 and y 0..22 on the screen.
    const QPoint away(800, 400);
    QTest::newRow("countdown not run out") << 30 << 1 << true << false << away << true;
    QTest::newRow("auto-hide off") << 0 << 0 << true << false << away << true;
    QTest::newRow("open, pointer away") << 0 << 1 << true << false << away << false;
    QTest::newRow("open, pointer inside") << 0 << 1 << true << false << QPoint(300, 15) << true;
    QTest::newRow("open, pointer on the last row")
        << 0 << 1 << true << false << QPoint(300, 22) << true;
    QTest::newRow("open, pointer just below")
        << 0 << 1 << true << false << QPoint(300, 23) << false;
    QTest::newRow("collapsed, pointer at the top")
        << 0 << 1 << false << false << QPoint(300, 0) << true;
    QTest::newRow("collapsed, pointer at y 3")
        << 0 << 1 << false << false << QPoint(300, 3) << true;
    QTest::newRow("collapsed, pointer inside at y 4")
        << 0 << 1 << false << false << QPoint(300, 4) << false;
    QTest::newRow("collapsed, pointer at the top left of the strip")
        << 0 << 1 << false << false << QPoint(99, 0) << false;
    QTest::newRow("collapsed, pointer at its first column")
        << 0 << 1 << false << false << QPoint(100, 0) << true;
    QTest::newRow("collapsed, pointer at its last column")
        << 0 << 1 << false << false << QPoint(576, 0) << true;
    QTest::newRow("collapsed, pointer just right of it")
        << 0 << 1 << false << false << QPoint(577, 0) << false;
    QTest::newRow("collapsed, pointer away") << 0 << 1 << false << false << away << false;
    QTest::newRow("held by a label, pointer away") << 0 << 1 << true << true << away << true;
}

void TestStrip::autoHide()
{
    QFETCH(int, countdown);
    QFETCH(int, autoHide);
    QFETCH(bool, startOpen);
    QFETCH(bool, dragging);
    QFETCH(QPoint, pointer);
    QFETCH(bool, open);

    StripRig rig(StripRig::Options().storing({{"left", "1500"}}));
    rig.start();
    QCOMPARE(rig.form.mrctWindow, QRect(100, 0, 477, 23));
    if (!startOpen) {
        rig.collapse();
        QVERIFY(!rig.form.isFullHeight());
        QCOMPARE(rig.form.height(), 1);
    }
    rig.state.gintCountdown = qint16(countdown + 1);
    rig.state.gintAutoHide = qint16(autoHide);
    rig.form.mblnDragging = dragging ? -1 : 0;
    rig.pointAt(pointer);
    QCOMPARE(rig.form.mptCursor, pointer);
    QCOMPARE(rig.form.isFullHeight(), open);
    QCOMPARE(rig.form.height(), open ? 23 : 1);
    QCOMPARE(rig.form.y(), 0);
}

void TestStrip::blink_data()
{
    // Ticks of Timer2 in order: F at full height, C collapsed, D collapsed
    // while a label is held.
    QTest::addColumn<QString>("ticks");
    QTest::addColumn<QColor>("drawn");
    QTest::addColumn<int>("nextColor");

    const QColor green(0, 255, 0);
    const QColor red(255, 0, 0);
    QTest::newRow("collapsed: green first") << "C" << green << 12;
    QTest::newRow("then red") << "CC" << red << 10;
    QTest::newRow("then green again") << "CCC" << green << 12;
    QTest::newRow("at full height: cleared") << "F" << QColor() << 12;
    QTest::newRow("cleared tick still switches") << "FC" << red << 10;
    QTest::newRow("held by a label: cleared") << "CD" << QColor() << 10;
    QTest::newRow("opened again: cleared") << "CCF" << QColor() << 12;
}

void TestStrip::blink()
{
    QFETCH(QString, ticks);
    QFETCH(QColor, drawn);
    QFETCH(int, nextColor);

    StripRig rig;
    rig.start();
    for (const QChar tick : ticks) {
        rig.form.mblnDragging = 0;
        if (tick == QLatin1Char('F'))
            rig.pointAt({rig.form.x() + 10, 0});
        else
            rig.collapse();
        if (tick == QLatin1Char('D'))
            rig.form.mblnDragging = -1;
        rig.form.Timer2_Timer();
    }
    QCOMPARE(rig.form.stripMarkColor(), drawn);
    QCOMPARE(rig.form.mintStripColor, qint16(nextColor));
}

// The colour covers the collapsed strip from end to end, hairline included.
void TestStrip::blinkIsDrawnOverTheWholeStrip()
{
    StripRig rig;
    rig.start();
    rig.collapse();
    rig.form.Timer2_Timer();
    QImage strip = rig.form.grab().toImage();
    QCOMPARE(strip.size(), QSize(477, 1));
    for (int x : {0, 200, 419, 420, 476})
        QCOMPARE(strip.pixelColor(x, 0), QColor(0, 255, 0));

    rig.form.Timer2_Timer();
    strip = rig.form.grab().toImage();
    QCOMPARE(strip.pixelColor(10, 0), QColor(255, 0, 0));

    rig.form.mblnDragging = -1;
    rig.form.Timer2_Timer();
    strip = rig.form.grab().toImage();
    QCOMPARE(strip.pixelColor(10, 0), rig.form.Label3->palette().color(QPalette::Window));
}

void TestStrip::idleTicksRepaintNothing()
{
    StripRig rig;
    rig.start();
    rig.runWelcome();
    rig.state.gintItalianTime = 15;
    for (int i = 0; i < 3; ++i) {
        rig.form.Timer5_Timer();
        finishAnimations(rig.form);
    }
    QCOMPARE(rig.state.gintPhase, qint16(1));
    rig.stopTimers();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();

    RepaintCounter counter(&rig.form);
    for (int i = 0; i < 50; ++i) {
        rig.form.Timer1_Timer();
        rig.form.Timer5_Timer();
        if (i % 10 == 0)
            rig.form.Timer2_Timer();
    }
    QCoreApplication::processEvents();
    QCOMPARE(counter.count, 0);

    // Collapsed and left alone: only Timer2's colour change repaints.
    rig.collapse();
    rig.form.Timer2_Timer();
    QCoreApplication::processEvents();
    counter.count = 0;
    for (int i = 0; i < 50; ++i)
        rig.form.Timer1_Timer();
    QCoreApplication::processEvents();
    QCOMPARE(counter.count, 0);
    rig.form.Timer2_Timer();
    QCoreApplication::processEvents();
    QVERIFY(counter.count > 0);
}

// A cycle left waiting in a phase outside the tables (the dialog could
// never set one) must not wrap its tick counter into negative numbers.
void TestStrip::countersStopAtTheirLimit()
{
    StripRig rig;
    rig.start();
    rig.state.gintPhase = 9;
    rig.state.gintTick = 32760;
    for (int i = 0; i < 20; ++i)
        rig.form.Timer5_Timer();
    QCOMPARE(rig.state.gintTick, qint16(32767));
    QCOMPARE(rig.state.gintPhase, qint16(9));
    QVERIFY(rig.log.indexOf(QStringLiteral("Play:Wave")) < 0);
}

void TestStrip::menuPicture_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("buttons");
    QTest::newRow("plain move") << true << int(Qt::NoButton);
    QTest::newRow("move with a button held") << true << int(Qt::LeftButton);
    QTest::newRow("disabled: nothing opens") << false << int(Qt::NoButton);
}

void TestStrip::menuPicture()
{
    QFETCH(bool, enabled);
    QFETCH(int, buttons);

    StripRig rig(StripRig::Options().storing({{"left", "1500"}}));
    rig.start();
    rig.form.show();
    rig.form.Image1->setEnabled(enabled);

    QRect menu;
    // Closed as soon as it is up; nothing waits for time to pass.
    QTimer::singleShot(0, [&menu] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            menu = popup->geometry();
            popup->close();
        }
    });
    const QPoint at(5, 5);
    QMouseEvent move(QEvent::MouseMove, at, rig.form.Image1->mapToGlobal(at), Qt::NoButton,
                     Qt::MouseButtons(buttons), Qt::NoModifier);
    QApplication::sendEvent(rig.form.Image1, &move);
    QCoreApplication::processEvents();

    if (!enabled) {
        QVERIFY(menu.isNull());
        QVERIFY(!topLevelNamed(QStringLiteral("Form2")));
        return;
    }
    // Its top-right corner just below the right end of the strip:
    // 7110 twips across and 350 twips down in the strip.
    QVERIFY(!menu.isNull());
    QCOMPARE(menu.right() + 1, 100 + 474);
    QCOMPARE(menu.top(), 23);
    QVERIFY(topLevelNamed(QStringLiteral("Form2")));
}

void TestStrip::activateBringsStripAndCharacterForward()
{
    StripRig rig;
    rig.start();
    rig.log.clear();
    QVERIFY(rig.form.isHidden());
    rig.form.activate();
    QVERIFY(rig.form.isVisible());
    QCOMPARE(rig.log, QStringList{QStringLiteral("Raise")});
}

QTEST_MAIN(TestStrip)
#include "tst_strip.moc"
