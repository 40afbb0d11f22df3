#include "FakeDesktop.h"
#include "TestEnvironment.h"
#include "agent/AgentControl.h"
#include "app/Form1.h"
#include "content/Corpus.h"
#include "settings/Autostart.h"
#include "settings/SettingsStore.h"
#include "ui/Form3.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

namespace {

// A strip after its first run with its display cycle running; the dialog opens
// as the Settings command opens it.
struct Harness {
    Harness() { form1.Timer5->start(); }
    Form3& open()
    {
        dialog = new Form3(form1);
        dialog->Form_Load();
        dialog->show();
        return *dialog;
    }
    void close(bool byEscape = false)
    {
        if (byEscape)
            QTest::keyClick(dialog, Qt::Key_Escape);
        else
            dialog->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(dialog.isNull());
    }
    bool menuOpens() const { return form1.findChild<QWidget*>("Image1")->isEnabled(); }

    TestEnvironment env;
    PlaybackState state;
    Corpus corpus;
    SettingsStore store;
    double left = store.Load_Settings(state, 1024 * 15.0); // the first run
    AgentControl agent;
    FakeDesktop desktop;
    Form1 form1{state, corpus, store, agent, desktop};
    QPointer<Form3> dialog;
};

} // namespace

class TestSettingsDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void closing_data();
    void closing();
    void saveSetting_data();
    void saveSetting();
    void controls();
};

void TestSettingsDialog::closing_data()
{
    QTest::addColumn<int>("topic");
    QTest::addColumn<int>("rd");
    QTest::addColumn<int>("ce");
    QTest::addColumn<bool>("clearCheck3");
    QTest::addColumn<int>("pick");
    QTest::addColumn<int>("next");
    QTest::addColumn<int>("countdown"); // of the start-up sequence
    QTest::addColumn<bool>("escape");   // else the close box

    QTest::newRow("topic to Entire: restart") << 3 << 1 << 1 << false << 0 << 10101 << 0 << false;
    QTest::newRow("at random, Check3 ticked") << 3 << 0 << 1 << false << 0 << 10101 << 0 << false;
    QTest::newRow("Check3 clear: kept") << 3 << 1 << 1 << true << 0 << 10517 << 2 << false;
    QTest::newRow("Entire to Entire: kept") << 0 << 1 << 1 << false << 0 << 10517 << 3 << false;
    QTest::newRow("topic to topic: kept") << 7 << 1 << 0 << false << 2 << 10517 << 0 << true;
    QTest::newRow("rd 5 -> 1, ce 2 -> 0") << 4 << 5 << 2 << false << 4 << 10517 << 0 << false;
}

void TestSettingsDialog::closing()
{
    QFETCH(int, topic);
    QFETCH(int, rd);
    QFETCH(int, ce);
    QFETCH(bool, clearCheck3);
    QFETCH(int, pick);
    QFETCH(int, next);
    QFETCH(int, countdown);
    QFETCH(bool, escape);
    Harness h;
    h.state.gintTopic = qint16(topic);
    h.state.gintPlayMode = qint16(rd);
    h.state.gintLanguageOrder = qint16(ce);
    h.state.gintNextSentence = 10517;
    h.state.gintCountdown = qint16(countdown);
    h.state.gintTick = 37;
    Form3& d = h.open();
    // The controls show the state; the display cycle pauses, the menu stays shut.
    QVERIFY(d.Option1[topic]->isChecked() && d.Option2[rd != 0]->isChecked());
    QVERIFY(d.Option3[ce != 1]->isChecked() && d.Check1->isChecked() && !d.Check4->isChecked());
    QCOMPARE(d.Text1[0]->text() + d.Text1[1]->text() + d.Text1[2]->text(), "253");
    QVERIFY(!h.form1.Timer5->isActive() && !h.menuOpens());

    if (clearCheck3)
        d.Check3->click();
    d.Option1[pick]->click();
    d.VScroll1->setValue(7);
    d.VScroll2->setValue(9);
    d.VScroll3->setValue(4);
    for (QLineEdit* box : d.Text1) // only the bars count
        QTest::keyClicks(box, "1");
    h.close(escape);

    QCOMPARE(h.state.gintNextSentence, qint16(next));
    QCOMPARE(h.form1.Timer5->isActive(), countdown <= 2);
    QVERIFY(h.menuOpens());
    QCOMPARE(h.state.gintTick, qint16(37)); // the cycle goes on where it stopped
    QStringList stored; // any "rd" but 0 is Sequence, any "ce" but 1 English first
    for (const char* key : {"guage", "rd", "ce", "n", "etime", "ctime"})
        stored << h.store.value(key);
    QCOMPARE(stored.join(' '), QString("%1 %2 %3 7 9 4").arg(pick).arg(rd != 0).arg(ce == 1));
}

void TestSettingsDialog::saveSetting_data()
{
    QTest::addColumn<bool>("save"); // "Save setting while exit" when closing
    QTest::addColumn<bool>("entryBefore");
    QTest::addColumn<bool>("startAtLogOn");
    QTest::newRow("clear: entry left alone") << false << true << false;
    QTest::newRow("clear: no entry made") << false << false << true;
    QTest::newRow("ticked: entry made") << true << false << true;
    QTest::newRow("ticked: entry removed") << true << true << false;
}

void TestSettingsDialog::saveSetting()
{
    QFETCH(bool, save);
    QFETCH(bool, entryBefore);
    QFETCH(bool, startAtLogOn);
    Harness h;
    if (entryBefore)
        QVERIFY(Autostart::enable("/opt/quorvel/quorvel"));
    Form3& d = h.open();
    if (!save)
        d.Check1->click();
    if (startAtLogOn)
        d.Check5->click();
    d.Option1[8]->click();
    h.close();

    QCOMPARE(h.state.gintTopic, qint16(8)); // the choice governs playback either way
    QCOMPARE(Autostart::isEnabled(), save ? startAtLogOn : entryBefore);
    QCOMPARE(h.store.value("guage"), save ? "8" : "1");
    QCOMPARE(h.store.value("mark"), save && startAtLogOn ? "1" : "0");
    QCOMPARE(h.store.value("ssave"), "1"); // unticking it is not kept either
}

// Check boxes act at once; the third row sets the English time and says so;
// a bar's top arrow counts up.
void TestSettingsDialog::controls()
{
    Harness h; // at random: Check3 ticked but disabled
    Form3& d = h.open();
    QVERIFY(!d.Check3->isEnabled() && d.Check3->isChecked());
    d.Option2[1]->click();
    QVERIFY(d.Check3->isEnabled());
    d.Check3->click();
    QCOMPARE(h.state.gintSaveSchedule, qint16(0));
    d.Option2[0]->click();
    QVERIFY(!d.Check3->isEnabled() && !d.Check3->isChecked()); // the tick stays as it was
    d.Check4->click();
    QCOMPARE(h.state.gintAutoHide, qint16(1)); // the strip may collapse now

    QCOMPARE(d.Label3->text(), "English Display               second.");
    QTest::mouseClick(d.VScroll3, Qt::LeftButton, {}, QPoint(d.VScroll3->width() / 2, 1));
    QTest::keyClick(d.VScroll3, Qt::Key_Up);
    QCOMPARE(d.Text1[2]->text(), "5");
    h.close();
    QCOMPARE(h.state.gintEnglishTime, qint16(5));
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settings_dialog.moc"
