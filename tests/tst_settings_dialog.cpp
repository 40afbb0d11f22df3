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

// A strip after its first run, display cycle running; the dialog opens as Settings opens it.
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
        byEscape ? QTest::keyClick(dialog, Qt::Key_Escape) : void(dialog->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
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

struct Closing {
    int topic, rd, ce, pick, next, countdown; // countdown of the start-up sequence
    bool clearCheck3, escape;                 // escape: else the close box
};

} // namespace

Q_DECLARE_METATYPE(Closing)

class TestSettingsDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void closing_data()
    {
        QTest::addColumn<Closing>("c");
        QTest::newRow("topic to Entire: restart") << Closing{3, 1, 1, 0, 10101, 0, false, false};
        QTest::newRow("at random, Check3 ticked") << Closing{3, 0, 1, 0, 10101, 0, false, false};
        QTest::newRow("Check3 clear: kept") << Closing{3, 1, 1, 0, 10517, 2, true, false};
        QTest::newRow("Entire to Entire: kept") << Closing{0, 1, 1, 0, 10517, 3, false, false};
        QTest::newRow("topic to topic: kept") << Closing{7, 1, 0, 2, 10517, 0, false, true};
        QTest::newRow("rd 5 -> 1, ce 2 -> 0") << Closing{4, 5, 2, 4, 10517, 0, false, false};
    }
    void closing()
    {
        QFETCH(Closing, c);
        Harness h;
        h.state.gintTopic = qint16(c.topic);
        h.state.gintPlayMode = qint16(c.rd);
        h.state.gintLanguageOrder = qint16(c.ce);
        h.state.gintNextSentence = 10517;
        h.state.gintCountdown = qint16(c.countdown);
        h.state.gintTick = 37;
        Form3& d = h.open();
        QVERIFY(d.Option1[c.topic]->isChecked() && d.Option2[c.rd != 0]->isChecked());
        QVERIFY(d.Option3[c.ce != 1]->isChecked() && d.Check1->isChecked() &&
                !d.Check4->isChecked());
        QCOMPARE(d.Text1[0]->text() + d.Text1[1]->text() + d.Text1[2]->text(), "253");
        QVERIFY(!h.form1.Timer5->isActive() && !h.menuOpens()); // paused, menu shut

        if (c.clearCheck3)
            d.Check3->click();
        d.Option1[c.pick]->click();
        d.VScroll1->setValue(7);
        d.VScroll2->setValue(9);
        d.VScroll3->setValue(4);
        for (QLineEdit* box : d.Text1) // only the bars count
            QTest::keyClicks(box, "1");
        h.close(c.escape);

        QCOMPARE(h.state.gintNextSentence, qint16(c.next));
        QCOMPARE(h.form1.Timer5->isActive(), c.countdown <= 2);
        QVERIFY(h.menuOpens() && h.state.gintTick == 37); // the cycle goes on where it stopped
        QStringList stored; // any "rd" but 0 is Sequence, any "ce" but 1 English first
        for (const char* key : {"guage", "rd", "ce", "n", "etime", "ctime"})
            stored << h.store.value(key);
        QCOMPARE(stored.join(' '),
                 QString("%1 %2 %3 7 9 4").arg(c.pick).arg(c.rd != 0).arg(c.ce == 1));
    }

    void saveSetting_data()
    {
        QTest::addColumn<bool>("save"); // "Save setting while exit" when closing
        QTest::addColumn<bool>("entryBefore");
        QTest::addColumn<bool>("startAtLogOn");
        QTest::newRow("clear: entry left alone") << false << true << false;
        QTest::newRow("clear: no entry made") << false << false << true;
        QTest::newRow("ticked: entry made") << true << false << true;
        QTest::newRow("ticked: entry removed") << true << true << false;
    }
    void saveSetting()
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

    void controls()
    {
        Harness h; // at random: Check3 ticked but disabled
        Form3& d = h.open();
        QVERIFY(!d.Check3->isEnabled() && d.Check3->isChecked());
        d.Option2[1]->click(); // enables Check3, or the click below would do nothing
        d.Check3->click();     // check boxes act at once
        d.Check4->click();
        QVERIFY(h.state.gintSaveSchedule == 0 && h.state.gintAutoHide == 1);
        d.Option2[0]->click();
        QVERIFY(!d.Check3->isEnabled() && !d.Check3->isChecked()); // the tick stays as it was

        QCOMPARE(d.Label3->text(), "English Display               second."); // sets etime
        QTest::mouseClick(d.VScroll3, Qt::LeftButton, {}, QPoint(d.VScroll3->width() / 2, 1));
        QTest::keyClick(d.VScroll3, Qt::Key_Up); // the top arrow counts up
        QCOMPARE(d.Text1[2]->text(), "5");
        h.close();
        QCOMPARE(h.state.gintEnglishTime, qint16(5));
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settings_dialog.moc"
