#include "FakeDesktop.h"
#include "RecordingCharacter.h"
#include "TestEnvironment.h"
#include "agent/AgentControl.h"
#include "app/Form1.h"
#include "content/Corpus.h"
#include "settings/Autostart.h"
#include "settings/PlaybackState.h"
#include "settings/SettingsStore.h"
#include "ui/Form3.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

// A strip with its store in a temporary config folder and a fake screen of
// 1024 x 768 pixels at 15 twips to the pixel.
struct Harness {
    explicit Harness(double twipsPerPixel = 15.0)
    {
        desktop.twipsPerPixel = twipsPerPixel;
        form1 = std::make_unique<Form1>(state, corpus, store, agent, desktop);
        form1->setLeftTwips(store.Load_Settings(state, desktop.screenWidthTwips()));
        form1->Timer5->start();
    }

    QWidget* image1() const { return form1->findChild<QWidget*>(QStringLiteral("Image1")); }

    // The stored text of `key`, read from the file itself.
    QString onDisk(const QString& key) const
    {
        QSettings file(env.settingsFile(), QSettings::IniFormat);
        return file.value(QStringLiteral("Italian/") + key).toString();
    }

    TestEnvironment env;
    PlaybackState state;
    Corpus corpus;
    SettingsStore store;
    QStringList log;
    AgentControl agent{[this](const QString&, const QString&) {
        return std::make_unique<RecordingCharacter>(&log);
    }};
    FakeDesktop desktop;
    std::unique_ptr<Form1> form1;
};

// Opens the dialog as the Settings command does: created, loaded, shown.
QPointer<Form3> openDialog(Harness& h)
{
    QPointer<Form3> dialog = new Form3(*h.form1);
    dialog->Form_Load();
    dialog->show();
    return dialog;
}

// Closes it through the window's close command and lets it be released.
void closeDialog(QPointer<Form3>& dialog)
{
    dialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestSettingsDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void loadFillsControls_data();
    void loadFillsControls();
    void loadClampsValuesOutsideTheControls();
    void unloadScheduleReset_data();
    void unloadScheduleReset();
    void unloadNormalisesModeAndOrder_data();
    void unloadNormalisesModeAndOrder();
    void rowsSetTheirOwnValues();
    void saveSettingClearWritesNothing();
    void saveSettingTickedWritesKeys_data();
    void saveSettingTickedWritesKeys();
    void typingInNumberBoxChangesNothing();
    void check3FollowsPlayMode();
    void checkBoxesActAtOnce();
    void timer5Restart_data();
    void timer5Restart();
    void pauseKeepsTickAndPhase();
    void menuPictureDisabledWhileOpen();
    void escapeAlsoUnloads();
    void captions_data();
    void captions();
    void scrollBarsRiseUpwards_data();
    void scrollBarsRiseUpwards();
    void rowsReadAsOneSentence_data();
    void rowsReadAsOneSentence();
    void geometry_data();
    void geometry();
    void geometryFollowsTwipsPerPixel();
    void tabOrder();
};

void TestSettingsDialog::loadFillsControls_data()
{
    QTest::addColumn<int>("topic");
    QTest::addColumn<int>("playMode");
    QTest::addColumn<int>("order");
    QTest::addColumn<int>("repeats");
    QTest::addColumn<int>("italian");
    QTest::addColumn<int>("english");
    QTest::addColumn<int>("boxes"); // bits: Check1, Check3, Check4, Check5

    QTest::newRow("first run") << 1 << 0 << 1 << 2 << 5 << 3 << 0b1100;
    QTest::newRow("entire, sequence, English first") << 0 << 1 << 0 << 12 << 15 << 15 << 0b0011;
    QTest::newRow("topic 10, all boxes") << 10 << 1 << 1 << 1 << 9 << 4 << 0b1111;
    QTest::newRow("topic 6, no boxes") << 6 << 0 << 0 << 7 << 10 << 8 << 0b0000;
}

void TestSettingsDialog::loadFillsControls()
{
    QFETCH(int, topic);
    QFETCH(int, playMode);
    QFETCH(int, order);
    QFETCH(int, repeats);
    QFETCH(int, italian);
    QFETCH(int, english);
    QFETCH(int, boxes);

    Harness h;
    h.state.gintTopic = qint16(topic);
    h.state.gintPlayMode = qint16(playMode);
    h.state.gintLanguageOrder = qint16(order);
    h.state.gintRepeats = qint16(repeats);
    h.state.gintItalianTime = qint16(italian);
    h.state.gintEnglishTime = qint16(english);
    h.state.gintSaveSettings = (boxes & 0b1000) ? 1 : 0;
    h.state.gintSaveSchedule = (boxes & 0b0100) ? 1 : 0;
    h.state.gintAutoHide = (boxes & 0b0010) ? 1 : 0;
    h.state.gintStartWithWindows = (boxes & 0b0001) ? 1 : 0;

    Form3 dialog(*h.form1);
    dialog.Form_Load();

    for (int i = 0; i < 11; ++i)
        QCOMPARE(dialog.Option1[i]->isChecked(), i == topic);
    QCOMPARE(dialog.Option2[1]->isChecked(), playMode != 0);
    QCOMPARE(dialog.Option2[0]->isChecked(), playMode == 0);
    QCOMPARE(dialog.Option3[0]->isChecked(), order == 1);
    QCOMPARE(dialog.Option3[1]->isChecked(), order != 1);
    QCOMPARE(dialog.VScroll1->value(), repeats);
    QCOMPARE(dialog.VScroll2->value(), italian);
    QCOMPARE(dialog.VScroll3->value(), english);
    QCOMPARE(dialog.Text1[0]->text(), QString::number(repeats));
    QCOMPARE(dialog.Text1[1]->text(), QString::number(italian));
    QCOMPARE(dialog.Text1[2]->text(), QString::number(english));
    QCOMPARE(dialog.Check1->isChecked(), bool(boxes & 0b1000));
    QCOMPARE(dialog.Check3->isChecked(), bool(boxes & 0b0100));
    QCOMPARE(dialog.Check4->isChecked(), bool(boxes & 0b0010));
    QCOMPARE(dialog.Check5->isChecked(), bool(boxes & 0b0001));
    QCOMPARE(dialog.Check3->isEnabled(), playMode != 0);
}

void TestSettingsDialog::loadClampsValuesOutsideTheControls()
{
    Harness h;
    h.state.gintTopic = 14;
    h.state.gintRepeats = 40;
    h.state.gintItalianTime = 2;
    h.state.gintEnglishTime = -3;
    h.state.gintAutoHide = 5;
    h.state.gintSaveSettings = 0;
    h.state.gintSaveSchedule = 1;
    h.state.gintNextSentence = 10517;

    QPointer<Form3> dialog = openDialog(h);
    for (QRadioButton* button : dialog->Option1)
        QVERIFY(!button->isChecked());
    // Each box shows what its bar holds.
    QCOMPARE(dialog->VScroll1->value(), 12);
    QCOMPARE(dialog->Text1[0]->text(), QStringLiteral("12"));
    QCOMPARE(dialog->VScroll2->value(), 5);
    QCOMPARE(dialog->Text1[1]->text(), QStringLiteral("5"));
    QCOMPARE(dialog->VScroll3->value(), 3);
    QCOMPARE(dialog->Text1[2]->text(), QStringLiteral("3"));
    QVERIFY(dialog->Check4->isChecked());
    QCOMPARE(h.state.gintAutoHide, qint16(1));

    closeDialog(dialog);
    QCOMPARE(h.state.gintTopic, qint16(14)); // no button chosen: kept
    QCOMPARE(h.state.gintNextSentence, qint16(10517));
    QCOMPARE(h.state.gintRepeats, qint16(12));
    QCOMPARE(h.state.gintItalianTime, qint16(5));
    QCOMPARE(h.state.gintEnglishTime, qint16(3));
}

void TestSettingsDialog::unloadScheduleReset_data()
{
    QTest::addColumn<int>("topicBefore");
    QTest::addColumn<int>("playMode"); // as selected when closing
    QTest::addColumn<bool>("check3");
    QTest::addColumn<int>("chosenTopic");
    QTest::addColumn<int>("nextAfter");

    QTest::newRow("topic to Entire, schedule kept: restart") << 3 << 1 << true << 0 << 10101;
    QTest::newRow("topic to Entire at random, box ticked but disabled: restart")
        << 3 << 0 << true << 0 << 10101;
    QTest::newRow("topic to Entire, schedule box clear: position kept")
        << 3 << 1 << false << 0 << 10517;
    QTest::newRow("Entire to Entire: never reset") << 0 << 1 << true << 0 << 10517;
    QTest::newRow("Entire to a topic: kept") << 0 << 1 << true << 5 << 10517;
    QTest::newRow("topic to another topic: kept") << 7 << 1 << true << 2 << 10517;
    QTest::newRow("topic unchanged: kept") << 4 << 1 << true << 4 << 10517;
}

void TestSettingsDialog::unloadScheduleReset()
{
    QFETCH(int, topicBefore);
    QFETCH(int, playMode);
    QFETCH(bool, check3);
    QFETCH(int, chosenTopic);
    QFETCH(int, nextAfter);

    Harness h;
    h.state.gintTopic = qint16(topicBefore);
    h.state.gintPlayMode = 1;
    h.state.gintSaveSchedule = 1;
    h.state.gintNextSentence = 10517;

    QPointer<Form3> dialog = openDialog(h);
    if (!check3)
        dialog->Check3->click();
    QTest::mouseClick(dialog->Option2[playMode], Qt::LeftButton);
    QTest::mouseClick(dialog->Option1[chosenTopic], Qt::LeftButton);
    QCOMPARE(dialog->Check3->isChecked(), check3);
    closeDialog(dialog);

    QVERIFY(dialog.isNull());
    QCOMPARE(h.state.gintNextSentence, qint16(nextAfter));
    QCOMPARE(h.state.gintTopic, qint16(chosenTopic));
    QCOMPARE(h.state.gintPlayMode, qint16(playMode));
}

void TestSettingsDialog::unloadNormalisesModeAndOrder_data()
{
    QTest::addColumn<int>("rd");
    QTest::addColumn<int>("ce");
    QTest::addColumn<int>("rdAfter");
    QTest::addColumn<int>("ceAfter");

    QTest::newRow("rd 5 becomes 1, ce 2 becomes 0") << 5 << 2 << 1 << 0;
    QTest::newRow("rd -1 becomes 1, ce 0 stays 0") << -1 << 0 << 1 << 0;
    QTest::newRow("rd 0 and ce 1 stay") << 0 << 1 << 0 << 1;
    QTest::newRow("rd 1 stays, ce -1 becomes 0") << 1 << -1 << 1 << 0;
}

void TestSettingsDialog::unloadNormalisesModeAndOrder()
{
    QFETCH(int, rd);
    QFETCH(int, ce);
    QFETCH(int, rdAfter);
    QFETCH(int, ceAfter);

    Harness h;
    h.state.gintPlayMode = qint16(rd);
    h.state.gintLanguageOrder = qint16(ce);
    h.state.gintSaveSettings = 1;

    QPointer<Form3> dialog = openDialog(h);
    closeDialog(dialog);

    QCOMPARE(h.state.gintPlayMode, qint16(rdAfter));
    QCOMPARE(h.state.gintLanguageOrder, qint16(ceAfter));
    QCOMPARE(h.onDisk(QStringLiteral("rd")), QString::number(rdAfter));
    QCOMPARE(h.onDisk(QStringLiteral("ce")), QString::number(ceAfter));
}

void TestSettingsDialog::rowsSetTheirOwnValues()
{
    Harness h;
    h.state.gintSaveSettings = 1;

    QPointer<Form3> dialog = openDialog(h);
    dialog->VScroll1->setValue(7);
    dialog->VScroll2->setValue(9);
    dialog->VScroll3->setValue(4);
    QCOMPARE(dialog->Text1[0]->text(), QStringLiteral("7"));
    QCOMPARE(dialog->Text1[1]->text(), QStringLiteral("9"));
    QCOMPARE(dialog->Text1[2]->text(), QStringLiteral("4"));
    closeDialog(dialog);

    QCOMPARE(h.state.gintRepeats, qint16(7));
    QCOMPARE(h.state.gintItalianTime, qint16(9));
    QCOMPARE(h.state.gintEnglishTime, qint16(4));
    QCOMPARE(h.onDisk(QStringLiteral("n")), QStringLiteral("7"));
    QCOMPARE(h.onDisk(QStringLiteral("etime")), QStringLiteral("9"));
    QCOMPARE(h.onDisk(QStringLiteral("ctime")), QStringLiteral("4"));
}

void TestSettingsDialog::saveSettingClearWritesNothing()
{
    Harness h;
    h.state.gintSaveSettings = 1;
    h.state.gintStartWithWindows = 1;
    QVERIFY(Autostart::enable(QStringLiteral("/opt/quorvel/quorvel")));
    const QString before = h.onDisk(QStringLiteral("guage"));

    QPointer<Form3> dialog = openDialog(h);
    dialog->Check1->click(); // "Save setting while exit" off
    dialog->Check5->click(); // and the log-on entry not wanted
    QTest::mouseClick(dialog->Option1[8], Qt::LeftButton);
    dialog->VScroll1->setValue(11);
    closeDialog(dialog);

    // The choices govern playback ...
    QCOMPARE(h.state.gintTopic, qint16(8));
    QCOMPARE(h.state.gintRepeats, qint16(11));
    QCOMPARE(h.state.gintSaveSettings, qint16(0));
    // ... but nothing reached the store or the log-on entry.
    QCOMPARE(h.onDisk(QStringLiteral("guage")), before);
    QCOMPARE(h.onDisk(QStringLiteral("n")), QStringLiteral("2"));
    QCOMPARE(h.onDisk(QStringLiteral("ssave")), QStringLiteral("1"));
    QVERIFY(Autostart::isEnabled());
}

void TestSettingsDialog::saveSettingTickedWritesKeys_data()
{
    QTest::addColumn<bool>("entryBefore");
    QTest::addColumn<bool>("startWithWindows");

    QTest::newRow("entry wanted, none yet: created") << false << true;
    QTest::newRow("entry wanted, already there: kept") << true << true;
    QTest::newRow("entry not wanted: removed") << true << false;
    QTest::newRow("entry not wanted, none: still none") << false << false;
}

void TestSettingsDialog::saveSettingTickedWritesKeys()
{
    QFETCH(bool, entryBefore);
    QFETCH(bool, startWithWindows);

    Harness h;
    h.state.gintSaveSettings = 1;
    h.state.gintStartWithWindows = startWithWindows ? 1 : 0;
    h.state.gintRed = 7;
    h.state.gintSpeed = 99;
    if (entryBefore)
        QVERIFY(Autostart::enable(QStringLiteral("/opt/quorvel/quorvel")));

    QPointer<Form3> dialog = openDialog(h);
    QTest::mouseClick(dialog->Option1[0], Qt::LeftButton);
    QTest::mouseClick(dialog->Option2[1], Qt::LeftButton);
    QTest::mouseClick(dialog->Option3[1], Qt::LeftButton);
    dialog->Check4->click();
    closeDialog(dialog);

    QCOMPARE(Autostart::isEnabled(), startWithWindows);
    QCOMPARE(h.onDisk(QStringLiteral("guage")), QStringLiteral("0"));
    QCOMPARE(h.onDisk(QStringLiteral("rd")), QStringLiteral("1"));
    QCOMPARE(h.onDisk(QStringLiteral("ce")), QStringLiteral("0"));
    QCOMPARE(h.onDisk(QStringLiteral("visi")), QStringLiteral("1"));
    QCOMPARE(h.onDisk(QStringLiteral("mark")), QString::number(startWithWindows ? 1 : 0));
    QCOMPARE(h.onDisk(QStringLiteral("red")), QStringLiteral("7"));
    QCOMPARE(h.onDisk(QStringLiteral("sspeed")), QStringLiteral("99"));
    QCOMPARE(h.onDisk(QStringLiteral("xxx")), QStringLiteral("1"));
}

void TestSettingsDialog::typingInNumberBoxChangesNothing()
{
    Harness h;
    h.state.gintRepeats = 4;
    h.state.gintItalianTime = 6;
    h.state.gintEnglishTime = 8;

    QPointer<Form3> dialog = openDialog(h);
    for (QLineEdit* box : dialog->Text1) {
        box->setFocus();
        QTest::keyClicks(box, QStringLiteral("9"));
    }
    closeDialog(dialog);

    QCOMPARE(h.state.gintRepeats, qint16(4));
    QCOMPARE(h.state.gintItalianTime, qint16(6));
    QCOMPARE(h.state.gintEnglishTime, qint16(8));
}

void TestSettingsDialog::check3FollowsPlayMode()
{
    Harness h;
    h.state.gintPlayMode = 0;
    h.state.gintSaveSchedule = 1;

    QPointer<Form3> dialog = openDialog(h);
    QVERIFY(!dialog->Check3->isEnabled());
    QVERIFY(dialog->Check3->isChecked());

    QTest::mouseClick(dialog->Option2[1], Qt::LeftButton);
    QVERIFY(dialog->Check3->isEnabled());
    dialog->Check3->click();
    QVERIFY(!dialog->Check3->isChecked());

    QTest::mouseClick(dialog->Option2[0], Qt::LeftButton);
    QVERIFY(!dialog->Check3->isEnabled());
    QVERIFY(!dialog->Check3->isChecked()); // the tick stays as it was
    QCOMPARE(h.state.gintSaveSchedule, qint16(0));
    closeDialog(dialog);
}

void TestSettingsDialog::checkBoxesActAtOnce()
{
    Harness h;
    h.state.gintAutoHide = 0;
    h.state.gintSaveSchedule = 0;
    h.state.gintPlayMode = 1;
    h.state.gintStartWithWindows = 0;
    h.state.gintSaveSettings = 0;

    QPointer<Form3> dialog = openDialog(h);
    QTest::mouseClick(dialog->Check4, Qt::LeftButton);
    QCOMPARE(h.state.gintAutoHide, qint16(1)); // the strip may collapse now
    dialog->Check3->click();
    QCOMPARE(h.state.gintSaveSchedule, qint16(1));
    dialog->Check5->click();
    QCOMPARE(h.state.gintStartWithWindows, qint16(1));
    QVERIFY(!Autostart::isEnabled()); // the entry waits for the close
    dialog->Check1->click();
    QCOMPARE(h.state.gintSaveSettings, qint16(1));
    dialog->Check4->click();
    QCOMPARE(h.state.gintAutoHide, qint16(0));
    closeDialog(dialog);
    QVERIFY(Autostart::isEnabled());
}

void TestSettingsDialog::timer5Restart_data()
{
    QTest::addColumn<int>("countdown");
    QTest::addColumn<bool>("restarted");

    QTest::newRow("running (0)") << 0 << true;
    QTest::newRow("countdown 1") << 1 << true;
    QTest::newRow("countdown 2") << 2 << true;
    QTest::newRow("countdown 3: start-up starts it later") << 3 << false;
    QTest::newRow("countdown 60") << 60 << false;
}

void TestSettingsDialog::timer5Restart()
{
    QFETCH(int, countdown);
    QFETCH(bool, restarted);

    Harness h;
    h.state.gintCountdown = qint16(countdown);
    QPointer<Form3> dialog = openDialog(h);
    QVERIFY(!h.form1->Timer5->isActive());
    closeDialog(dialog);
    QCOMPARE(h.form1->Timer5->isActive(), restarted);
}

void TestSettingsDialog::pauseKeepsTickAndPhase()
{
    Harness h;
    h.state.gintCountdown = 0;
    h.state.gintTick = 37;
    h.state.gintPhase = 2;
    h.state.gintCycle = 1;

    QPointer<Form3> dialog = openDialog(h);
    QVERIFY(!h.form1->Timer5->isActive());
    closeDialog(dialog);

    QVERIFY(h.form1->Timer5->isActive());
    QCOMPARE(h.state.gintTick, qint16(37));
    QCOMPARE(h.state.gintPhase, qint16(2));
    QCOMPARE(h.state.gintCycle, qint16(1));
}

void TestSettingsDialog::menuPictureDisabledWhileOpen()
{
    Harness h;
    QVERIFY(h.image1());
    QVERIFY(h.image1()->isEnabled());
    QPointer<Form3> dialog = openDialog(h);
    QVERIFY(!h.image1()->isEnabled());
    QVERIFY(!dialog->isModal());
    closeDialog(dialog);
    QVERIFY(h.image1()->isEnabled());
}

void TestSettingsDialog::escapeAlsoUnloads()
{
    Harness h;
    h.state.gintTopic = 2;
    QPointer<Form3> dialog = openDialog(h);
    dialog->Option1[9]->setChecked(true);
    QTest::keyClick(dialog, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QVERIFY(dialog.isNull());
    QCOMPARE(h.state.gintTopic, qint16(9));
    QVERIFY(h.image1()->isEnabled());
    QVERIFY(h.form1->Timer5->isActive());
}

void TestSettingsDialog::captions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");

    QTest::newRow("Frame1") << "Frame1"
                            << "Play Content";
    QTest::newRow("Frame2") << "Frame2"
                            << "Play mode";
    QTest::newRow("Frame3") << "Frame3"
                            << "English and Italian Order";
    QTest::newRow("Option1(0)") << "Option1_0"
                                << "Entire";
    QTest::newRow("Option1(1)") << "Option1_1"
                                << "Introducing yourself and your family";
    QTest::newRow("Option1(4)") << "Option1_4"
                                << "Booking and checking in at a hotel";
    QTest::newRow("Option1(10)") << "Option1_10"
                                 << "Sport and leisure";
    QTest::newRow("Option2(0)") << "Option2_0"
                                << "at random";
    QTest::newRow("Option2(1)") << "Option2_1"
                                << "Sequence";
    QTest::newRow("Option3(0)") << "Option3_0"
                                << "First Italian, then English";
    QTest::newRow("Option3(1)") << "Option3_1"
                                << "First English, then Italian";
    QTest::newRow("Label1") << "Label1"
                            << "Per sentence play              time.";
    QTest::newRow("Label2") << "Label2"
                            << "Italian Display               second.";
    QTest::newRow("Label3 names the English time") << "Label3"
                                                   << "English Display               second.";
    QTest::newRow("Check1") << "Check1"
                            << "Save setting while exit";
    QTest::newRow("Check3") << "Check3"
                            << "Save schedule while exit";
    QTest::newRow("Check4") << "Check4"
                            << "Auto Hide";
    QTest::newRow("Check5") << "Check5"
                            << "Start with windows start";
}

void TestSettingsDialog::captions()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);

    Harness h;
    Form3 dialog(*h.form1);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Setting..."));
    QWidget* control = dialog.findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));
    QString text;
    if (auto* frame = qobject_cast<QGroupBox*>(control))
        text = frame->title();
    else if (auto* label = qobject_cast<QLabel*>(control))
        text = label->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        text = button->text();
    QCOMPARE(text, caption);

    // A caption must fit the width it was given.
    int needed = control->fontMetrics().horizontalAdvance(text);
    if (qobject_cast<QRadioButton*>(control))
        needed += control->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
                  control->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
    else if (qobject_cast<QCheckBox*>(control))
        needed += control->style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                  control->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
    if (!qobject_cast<QGroupBox*>(control))
        QVERIFY2(needed <= control->width(), qPrintable(name));
}

void TestSettingsDialog::scrollBarsRiseUpwards_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");

    QTest::newRow("VScroll1") << "VScroll1" << 6 << 1 << 12;
    QTest::newRow("VScroll2") << "VScroll2" << 10 << 5 << 15;
    QTest::newRow("VScroll3") << "VScroll3" << 9 << 3 << 15;
}

void TestSettingsDialog::scrollBarsRiseUpwards()
{
    QFETCH(QString, name);
    QFETCH(int, start);
    QFETCH(int, minimum);
    QFETCH(int, maximum);

    Harness h;
    QPointer<Form3> dialog = openDialog(h);
    auto* bar = dialog->findChild<QScrollBar*>(name);
    QVERIFY(bar);
    QCOMPARE(bar->minimum(), minimum);
    QCOMPARE(bar->maximum(), maximum);
    QCOMPARE(bar->singleStep(), 1);
    QCOMPARE(bar->pageStep(), 1);

    bar->setValue(start);
    // The top arrow (the "sub line" control of a vertical bar) raises.
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(bar->value(), start + 1);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(bar->value(), start);
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(bar->value(), start + 1);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(bar->value(), start);

    // A real click on the top and on the bottom arrow.
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, 1));
    QCOMPARE(bar->value(), start + 1);
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 2));
    QCOMPARE(bar->value(), start);

    QTest::keyClick(bar, Qt::Key_Up);
    QCOMPARE(bar->value(), start + 1);
    QTest::keyClick(bar, Qt::Key_Down);
    QCOMPARE(bar->value(), start);

    const int row = name.back().digitValue() - 1;
    QCOMPARE(dialog->Text1[row]->text(), QString::number(start));

    // The top arrow at the top value stays there.
    bar->setValue(maximum);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(bar->value(), maximum);
    closeDialog(dialog);
}

void TestSettingsDialog::rowsReadAsOneSentence_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("words");
    QTest::addColumn<int>("blanks");

    QTest::newRow("repeats") << 0 << "Per sentence play" << 14;
    QTest::newRow("Italian time") << 1 << "Italian Display" << 15;
    QTest::newRow("English time") << 2 << "English Display" << 15;
}

// The number box and the bar sit between the words before the gap and the
// words after it, in the font the dialog really uses.
void TestSettingsDialog::rowsReadAsOneSentence()
{
    QFETCH(int, row);
    QFETCH(QString, words);
    QFETCH(int, blanks);

    Harness h;
    Form3 dialog(*h.form1);
    const std::array<QLabel*, 3> labels{dialog.Label1, dialog.Label2, dialog.Label3};
    const std::array<QScrollBar*, 3> bars{dialog.VScroll1, dialog.VScroll2, dialog.VScroll3};
    const QLabel* label = labels[row];
    const QFontMetrics metrics = label->fontMetrics();
    const int wordsEnd = label->x() + metrics.horizontalAdvance(words);
    const int gapEnd = label->x() + metrics.horizontalAdvance(words + QString(blanks, u' '));

    QVERIFY(label->text().startsWith(words + QString(blanks, u' ')));
    // A few pixels of air on either side, so the words do not touch the box.
    constexpr int kAir = 3;
    QVERIFY2(wordsEnd + kAir <= dialog.Text1[row]->x(), qPrintable(QString::number(wordsEnd)));
    QVERIFY(qAbs(bars[row]->x() - (dialog.Text1[row]->geometry().right() + 1)) <= 1);
    QVERIFY2(bars[row]->geometry().right() + 1 + kAir <= gapEnd,
             qPrintable(QString::number(gapEnd)));
    // Box and bar share the row with their label.
    QVERIFY(dialog.Text1[row]->geometry().intersects(label->geometry()));
}

void TestSettingsDialog::geometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("pixels");

    QTest::newRow("Frame1") << "Frame1" << QRect(8, 8, 319, 209);
    QTest::newRow("Frame3") << "Frame3" << QRect(136, 224, 188, 57);
    QTest::newRow("Option1(0)") << "Option1_0" << QRect(16, 19, 68, 13);
    QTest::newRow("Option1(3)") << "Option1_3" << QRect(16, 72, 204, 13);
    QTest::newRow("Option1(10)") << "Option1_10" << QRect(16, 184, 132, 13);
    QTest::newRow("Option2(1)") << "Option2_1" << QRect(9, 33, 73, 19);
    QTest::newRow("Label1") << "Label1" << QRect(16, 296, 176, 13);
    QTest::newRow("Text1(0)") << "Text1_0" << QRect(108, 293, 21, 18);
    QTest::newRow("VScroll1") << "VScroll1" << QRect(128, 293, 9, 17);
    QTest::newRow("Text1(2)") << "Text1_2" << QRect(98, 344, 21, 18);
    QTest::newRow("VScroll3") << "VScroll3" << QRect(118, 344, 9, 17);
    QTest::newRow("Check5") << "Check5" << QRect(176, 340, 165, 17);
    QTest::newRow("Check1") << "Check1" << QRect(176, 364, 169, 17);
}

void TestSettingsDialog::geometry()
{
    QFETCH(QString, name);
    QFETCH(QRect, pixels);

    Harness h;
    Form3 dialog(*h.form1);
    QCOMPARE(dialog.size(), QSize(336, 389));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    auto* control = dialog.findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->geometry(), pixels);
}

void TestSettingsDialog::geometryFollowsTwipsPerPixel()
{
    Harness h(12.0); // 120 dots per inch
    Form3 dialog(*h.form1);
    QCOMPARE(dialog.size(), QSize(420, 486));
    QCOMPARE(dialog.Frame1->geometry(), QRect(10, 10, 399, 261));
    QCOMPARE(dialog.VScroll2->geometry(), QRect(140, 400, 11, 21));
    const Qt::WindowFlags flags = dialog.windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(flags & Qt::WindowContextHelpButtonHint));
}

void TestSettingsDialog::tabOrder()
{
    Harness h;
    Form3 dialog(*h.form1);
    QList<QWidget*> expected{
        dialog.Option1[0], dialog.Text1[0],   dialog.Text1[1],   dialog.Option2[0], dialog.Text1[2],
        dialog.Option3[0], dialog.Option2[1], dialog.Option3[1], dialog.VScroll1,   dialog.VScroll2,
        dialog.VScroll3,   dialog.Check3,     dialog.Check4,     dialog.Check5,     dialog.Check1};
    for (int i = 1; i <= 10; ++i)
        expected.append(dialog.Option1[i]);
    for (qsizetype i = 0; i + 1 < expected.size(); ++i)
        QCOMPARE(expected[i]->nextInFocusChain(), expected[i + 1]);
    for (QWidget* widget : expected)
        QVERIFY(widget->focusPolicy() & Qt::TabFocus);
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settings_dialog.moc"
