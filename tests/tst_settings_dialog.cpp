#include "StripRig.h"
#include "UnexpectedWarnings.h"
#include "content/Topics.h"
#include "platform/Twips.h"
#include "settings/Autostart.h"
#include "ui/RowCaption.h"
#include "ui/SettingsDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

namespace {

// Pixels in from a frame's right edge: past its corner, short of its title.
constexpr int kClearOfTitle = 8;

// A strip after its first run; the dialog opens as the menu opens it.
struct Harness {
    Harness() { rig.start(); }
    SettingsDialog& open()
    {
        rig.menu.openSettings();
        dialog = rig.menu.settingsDialog();
        return *dialog;
    }
    void close(bool byEscape = false)
    {
        byEscape ? QTest::keyClick(dialog, Qt::Key_Escape) : void(dialog->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    template <typename T = QWidget> T* control(const QString& name) const
    {
        return dialog->findChild<T*>(name);
    }
    QRadioButton* option(int group, int i) const
    {
        return control<QRadioButton>(QStringLiteral("Option%1_%2").arg(group).arg(i));
    }
    QCheckBox* check(int i) const { return control<QCheckBox>(QStringLiteral("Check%1").arg(i)); }
    QScrollBar* bar(int i) const { return control<QScrollBar>(QStringLiteral("VScroll%1").arg(i)); }
    QString numbers() const
    {
        QString text;
        for (int i = 0; i < 3; ++i)
            text += control<QLineEdit>(QStringLiteral("Text1_%1").arg(i))->text();
        return text;
    }

    StripRig rig;
    PlaybackState& state = rig.state;
    QPointer<SettingsDialog> dialog;
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
    void init() { failOnUnexpectedWarnings(); }
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
        h.state.topic = qint16(c.topic);
        h.state.playMode = qint16(c.rd);
        h.state.languageOrder = qint16(c.ce);
        h.state.nextSentence = 10517;
        for (int countdown = 70; countdown > std::max(c.countdown, 1); --countdown)
            h.rig.strip.pointerTick();
        h.rig.timer("Timer5")->start(); // playing
        for (int tick = 0; tick < 37; ++tick)
            h.rig.strip.advanceCycle();
        SettingsDialog& d = h.open();
        QVERIFY(h.option(1, c.topic)->isChecked() && h.option(2, c.rd != 0)->isChecked());
        QVERIFY(h.option(3, c.ce != 1)->isChecked() && h.check(1)->isChecked() &&
                !h.check(4)->isChecked());
        QCOMPARE(h.numbers(), "253");
        QVERIFY(!h.rig.timer("Timer5")->isActive() && !h.rig.menuOpens()); // paused, menu shut

        if (c.clearCheck3)
            h.check(3)->click();
        h.option(1, c.pick)->click();
        h.bar(1)->setValue(7);
        h.bar(2)->setValue(9);
        h.bar(3)->setValue(4);
        for (QLineEdit* box : d.findChildren<QLineEdit*>()) // only the bars count
            QTest::keyClicks(box, "1");
        h.close(c.escape);

        QCOMPARE(h.state.nextSentence, qint16(c.next));
        QCOMPARE(h.rig.timer("Timer5")->isActive(), c.countdown <= 2);
        // The cycle goes on where it stopped.
        QVERIFY(h.rig.menuOpens() && h.rig.strip.cycle().tick() == 37);
        QStringList stored; // any "rd" but 0 is Sequence, any "ce" but 1 English first
        for (const char* key : {"guage", "rd", "ce", "n", "etime", "ctime"})
            stored << h.rig.store.value(key);
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
            QCOMPARE(Autostart::enable("/opt/quorvel/quorvel"), QString());
        h.open();
        if (!save)
            h.check(1)->click();
        if (startAtLogOn)
            h.check(5)->click();
        h.option(1, 8)->click();
        h.close();

        QCOMPARE(h.state.topic, qint16(8)); // the choice governs playback either way
        QCOMPARE(Autostart::isEnabled(), save ? startAtLogOn : entryBefore);
        QCOMPARE(h.rig.store.value("guage"), save ? "8" : "1");
        QCOMPARE(h.rig.store.value("mark"), save && startAtLogOn ? "1" : "0");
        QCOMPARE(h.rig.store.value("ssave"), "1"); // unticking it is not kept either
    }

    void geometry_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips"); // left, top, width, height, as the layout gives them
        const auto row = [](const char* name, int left, int top, int width, int height) {
            QTest::newRow(name) << QString::fromLatin1(name) << QRect(left, top, width, height);
        };
        row("Frame1", 120, 120, 4785, 3135);
        row("Option1_0", 240, 285, 1020, 195);
        row("Option1_1", 240, 600, 3540, 195);
        row("Option1_10", 240, 2760, 1980, 195);
        row("Frame2", 120, 3345, 1875, 855);
        row("Option2_0", 120, 240, 1335, 285);
        row("Option2_1", 135, 495, 1095, 285);
        row("Frame3", 2040, 3360, 2820, 855);
        row("Option3_0", 135, 225, 2310, 285);
        row("Option3_1", 135, 495, 2310, 285);
        row("Label1", 240, 4440, 2640, 195);
        row("Text1_0", 1620, 4400, 315, 270);
        row("VScroll1", 1920, 4400, 135, 255);
        row("Label2", 240, 4800, 2880, 195);
        row("Text1_1", 1380, 4800, 315, 270);
        row("VScroll2", 1680, 4800, 135, 255);
        row("Label3", 240, 5160, 2760, 195);
        row("Text1_2", 1380, 5160, 315, 270);
        row("VScroll3", 1680, 5160, 135, 255);
        row("Check4", 2640, 4440, 1260, 255);
        row("Check3", 2640, 4800, 2535, 255);
        row("Check5", 2640, 5100, 2475, 255);
        row("Check1", 2640, 5460, 2535, 255);
    }
    // At 96 DPI (15 twips a pixel) each control is where the layout puts it
    // in twips. A button too short for its circle or box grows evenly above
    // and below. A frame's top line runs through its title, clear above the
    // buttons inside.
    void geometry()
    {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        Harness h;
        h.rig.desktop.screen = QRect(0, 0, 1280, 800);
        SettingsDialog& d = h.open();
        QCOMPARE(d.size(), QSize(336, 389)); // 5040 x 5835 twips
        QCOMPARE(d.pos(), QPoint(373, 200)); // centre less (4000, 3000) twips
        const QWidget* control = h.control(name);
        const QRect at = control->geometry();
        const QRect wanted =
            Twips::toPixels({twips.x(), twips.y(), twips.width(), twips.height()}, 15.0, 15.0);
        QCOMPARE(QPair(at.left(), at.width()), QPair(wanted.left(), wanted.width()));
        const int grown = at.height() - wanted.height();
        QVERIFY(grown >= 0 &&
                std::abs(at.top() + at.bottom() - wanted.top() - wanted.bottom()) <= 1);
        QVERIFY(grown == 0 || qobject_cast<const QAbstractButton*>(control));
        if (auto* frame = qobject_cast<QGroupBox*>(control->parentWidget())) {
            // The line is the first row that differs from the dialog's
            // background, looking down a column that no title or button crosses.
            const QImage drawn = frame->grab().toImage();
            const int column = drawn.width() - kClearOfTitle;
            int line = 0;
            while (line < drawn.height() &&
                   drawn.pixelColor(column, line) == drawn.pixelColor(column, 0))
                ++line;
            QVERIFY(at.top() > line + 1);
        }
        h.close();
    }

    void controls()
    {
        Harness h; // at random: Check3 ticked but disabled
        h.open();
        QCheckBox* schedule = h.check(3);
        QVERIFY(!schedule->isEnabled() && schedule->isChecked());
        h.option(2, 1)->click(); // enables Check3, or the click below would do nothing
        schedule->click();       // check boxes act at once
        h.check(4)->click();
        QVERIFY(h.state.saveSchedule == 0 && h.state.autoHide == 1);
        h.option(2, 0)->click();
        QVERIFY(!schedule->isEnabled() && !schedule->isChecked()); // the tick stays as it was

        QCOMPARE(h.control<QLabel>("Label3")->text(), "English Display               second.");
        QScrollBar* english = h.bar(3);
        QTest::mouseClick(english, Qt::LeftButton, {}, QPoint(english->width() / 2, 1));
        QTest::keyClick(english, Qt::Key_Up); // the top arrow counts up
        QCOMPARE(h.numbers().right(1), "5");
        h.close();
        QCOMPARE(h.state.englishTime, qint16(5));
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settings_dialog.moc"
