#include "StripRig.h"
#include "UnexpectedWarnings.h"
#include "platform/ScreenSaverWatch.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

// The learner's controls outside the strip's menu: the tray, a later start's
// commands, the screen saver and full-screen windows.
class TestControls : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnUnexpectedWarnings(); }
    // Nothing here may reach the real session bus.
    void initTestCase()
    {
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quorvel-test-bus");
    }

    // A later start's word, or the tray, reaches the strip.
    void commandsReachTheStrip_data()
    {
        QTest::addColumn<QByteArrayList>("words");
        QTest::addColumn<bool>("paused");
        QTest::newRow("pause") << QByteArrayList{"pause"} << true;
        QTest::newRow("pause twice") << QByteArrayList{"pause", "pause"} << true;
        QTest::newRow("pause, resume") << QByteArrayList{"pause", "resume"} << false;
        QTest::newRow("toggle") << QByteArrayList{"toggle-pause"} << true;
        QTest::newRow("toggle twice") << QByteArrayList{"toggle-pause", "toggle-pause"} << false;
        QTest::newRow("resume alone") << QByteArrayList{"resume"} << false;
        QTest::newRow("unknown word") << QByteArrayList{"activate-all"} << false;
        QTest::newRow("tray click") << QByteArrayList{"click"} << true;
        QTest::newRow("tray item, then resume") << QByteArrayList{"tray_pause", "resume"} << false;
    }
    void commandsReachTheStrip()
    {
        QFETCH(QByteArrayList, words);
        QFETCH(bool, paused);
        StripRig rig;
        rig.start();
        rig.finishWelcome();
        rig.strip.wakeCycle(); // the cycle armed, as the program runs it
        const qint64 playingIcon = rig.tray().icon().cacheKey();
        for (const QByteArray& word : words) {
            if (word == "click")
                rig.tray().click();
            else if (word.startsWith("tray_"))
                rig.trayItem(word.constData())->trigger();
            else
                rig.command(word);
        }
        QCOMPARE(rig.strip.isPaused(), paused);
        QCOMPARE(rig.timer("Timer5")->isActive(), !paused);
        QCOMPARE(rig.trayItem("tray_pause")->text(),
                 paused ? QStringLiteral("Res&ume") : QStringLiteral("&Pause"));
        // The panel shows it too, in the icon and its tooltip.
        QCOMPARE(rig.tray().toolTip().startsWith("Paused"), paused);
        QCOMPARE(rig.tray().icon().cacheKey() == playingIcon, !paused);
    }

    void repeatAndNext_data()
    {
        QTest::addColumn<QByteArray>("how");
        QTest::addColumn<bool>("next");
        QTest::newRow("--next") << QByteArray("next") << true;
        QTest::newRow("tray Next") << QByteArray("tray_next") << true;
        QTest::newRow("--repeat") << QByteArray("repeat") << false;
        QTest::newRow("tray Repeat") << QByteArray("tray_repeat") << false;
    }
    // Next shows another pair at once, Repeat the same one from its first
    // line, even once its repetitions are over; the tray's tooltip shows the
    // pair on show.
    void repeatAndNext()
    {
        QFETCH(QByteArray, how);
        QFETCH(bool, next);
        StripRig rig(StripRig::kInSequence);
        rig.start();
        // Next in the pair's first of two repetitions; Repeat once its one is over.
        rig.state.repeats = next ? 2 : 1;
        rig.finishWelcome();
        for (int i = 0; i < (next ? 30 : 82); ++i) // 82: one whole cycle
            rig.strip.advanceCycle();
        const QString italian = rig.strip.italian();
        QCOMPARE(rig.tray().toolTip(), italian + '\n' + rig.strip.english());
        rig.command("pause");
        if (how.startsWith("tray_"))
            rig.trayItem(how.constData())->trigger();
        else
            rig.command(how);
        QCOMPARE(rig.strip.italian() != italian, next);
        QCOMPARE(rig.strip.cycle().tick(), qint16(1));
        QCOMPARE(rig.tray().toolTip().section('\n', 1),
                 rig.strip.italian() + '\n' + rig.strip.english());
        QVERIFY(rig.strip.isPaused()); // the learner's pause holds
    }

    // --quit is Exit: it saves what Exit saves, and the program ends.
    void quitIsExit()
    {
        StripRig rig;
        rig.start();
        rig.log.clear();
        rig.command("quit");
        QCOMPARE(rig.exits, 1);
        QVERIFY(rig.log.contains("write:voice"));
        QVERIFY(rig.log.contains("write:left"));
        rig.trayItem("tray_exit")->trigger();
        QCOMPARE(rig.exits, 2);
        // A save that fails ends once its message is closed; a second Exit at once.
        QVERIFY(QFile::remove(rig.env.settingsFile()) && QDir().mkdir(rig.env.settingsFile()));
        rig.command("quit");
        QCOMPARE(rig.exits, 2);
        rig.command("quit");
        QCOMPARE(rig.exits, 3);
    }

    void speechSpeed_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QByteArray>("item");
        QTest::addColumn<QString>("checkedBefore");
        QTest::addColumn<int>("pace");
        QTest::newRow("first run, slower")
            << QString() << QByteArray("tray_slower") << QString("tray_normal") << 110;
        QTest::newRow("190 stored, normal")
            << QString("190") << QByteArray("tray_normal") << QString("tray_faster") << 150;
        QTest::newRow("120 stored: none checked")
            << QString("120") << QByteArray("tray_slower") << QString() << 110;
    }
    // A pace picked in the tray is written at once and reaches the parrot
    // with the next sentence it reads.
    void speechSpeed()
    {
        QFETCH(QString, stored);
        QFETCH(QByteArray, item);
        QFETCH(QString, checkedBefore);
        QFETCH(int, pace);
        StripRig rig(stored.isEmpty() ? StripRig::Stored{} : StripRig::Stored{{"sspeed", stored}});
        rig.start();
        rig.finishWelcome();
        for (const char* name : {"tray_slower", "tray_normal", "tray_faster"})
            QCOMPARE(rig.trayItem(name)->isChecked(), checkedBefore == name);
        rig.log.clear();
        rig.controls.setSpeechSpeed(400); // beyond the parrot: not taken
        rig.trayItem(item.constData())->trigger();
        QCOMPARE(rig.log, QStringList{"write:sspeed"});
        QFile file(rig.env.settingsFile()); // on the disk at once
        QVERIFY(file.open(QIODevice::ReadOnly) &&
                file.readAll().contains("\nsspeed=" + QByteArray::number(pace) + '\n'));
        QVERIFY(rig.trayItem(item.constData())->isChecked());
        rig.command("next"); // the next sentence
        const qsizetype paceAt = rig.log.indexOf(QStringLiteral("Pace:%1").arg(pace));
        QVERIFY(paceAt > 0);
        QVERIFY(rig.log.value(paceAt + 1).startsWith("Speak:"));
    }

    // Either switch moves the other: the hover menu's caption and the tray's
    // check mark. Whether the parrot speaks at all is not theirs to change.
    void readAloudInStep()
    {
        StripRig rig;
        rig.start();
        QVERIFY(rig.trayItem("tray_read_aloud")->isChecked());
        rig.log.clear();
        rig.trayItem("tray_read_aloud")->trigger();
        QCOMPARE(rig.log, QStringList{"Hide"});
        QCOMPARE(rig.item("mnu_hlp")->text(), QStringLiteral("R&ead aloud"));
        rig.item("mnu_hlp")->trigger();
        QVERIFY(rig.trayItem("tray_read_aloud")->isChecked());
        QCOMPARE(rig.log, (QStringList{"Hide", "Show"}));
        QCOMPARE(rig.item("mnu_hlp")->text(), QStringLiteral("Non r&ead aloud"));
        rig.item("mnu_hlp")->trigger();
        QVERIFY(!rig.trayItem("tray_read_aloud")->isChecked());
        QCOMPARE(rig.state.readAloud, qint16(1));
    }

    // The screen saver pauses without hiding; a pause the learner chose
    // outlasts it.
    void screenSaverKeepsTheLearnersPause()
    {
        StripRig rig;
        rig.start();
        rig.finishWelcome();
        rig.log.clear();
        rig.controls.setScreenSaverActive(true);
        QVERIFY(rig.strip.isPaused() && rig.strip.isVisible());
        QCOMPARE(rig.log, QStringList{"Stop"}); // the parrot falls silent at once
        QCOMPARE(rig.trayItem("tray_pause")->text(), QStringLiteral("&Pause"));
        rig.command("toggle-pause"); // pauses: the screen saver's hold is not the learner's
        rig.controls.setScreenSaverActive(false);
        QVERIFY(rig.strip.isPaused());
        rig.command("resume");
        QVERIFY(!rig.strip.isPaused());
        QVERIFY(rig.timer("Timer5")->isActive());
    }

    // Full screen during the welcome: the strip does not pop up meanwhile,
    // nor before the welcome would bring it, and comes once both are over.
    void fullScreenDuringTheWelcome()
    {
        StripRig rig;
        rig.start();
        rig.controls.setFullScreen(true);
        rig.strip.pointerTick();
        rig.controls.setFullScreen(false);
        QVERIFY(!rig.strip.isVisible());
        rig.controls.setFullScreen(true);
        rig.finishWelcome();
        QVERIFY(!rig.strip.isVisible());
        rig.controls.setFullScreen(false);
        QVERIFY(rig.strip.isVisible());
    }

    void quietSignals_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("interface");
        QTest::addColumn<QString>("on");  // the signal that starts it
        QTest::addColumn<QString>("off"); // the one that ends it; "" for a bool argument
        const QString saver = "org.freedesktop.ScreenSaver";
        QTest::newRow("freedesktop") << "/org/freedesktop/ScreenSaver" << saver << "ActiveChanged"
                                     << "";
        QTest::newRow("KDE") << "/ScreenSaver" << saver << "ActiveChanged"
                             << "";
        QTest::newRow("GNOME") << "/org/gnome/ScreenSaver"
                               << "org.gnome.ScreenSaver"
                               << "ActiveChanged"
                               << "";
        QTest::newRow("Xfce") << "/org/xfce/ScreenSaver"
                              << "org.xfce.ScreenSaver"
                              << "ActiveChanged"
                              << "";
        // Session "2" is at _32: a leading digit is escaped.
        QTest::newRow("logind lock") << "/org/freedesktop/login1/session/_32"
                                     << "org.freedesktop.login1.Session"
                                     << "Lock"
                                     << "Unlock";
        QTest::newRow("logind sleep") << "/org/freedesktop/login1"
                                      << "org.freedesktop.login1.Manager"
                                      << "PrepareForSleep"
                                      << "";
    }
    // Each desktop's word that the screen is locked, saved or asleep starts
    // the quiet, and its word that it is back ends it; a private bus stands
    // in for both the session's and the system's.
    void quietSignals()
    {
        QFETCH(QString, path);
        QFETCH(QString, interface);
        QFETCH(QString, on);
        QFETCH(QString, off);
        QProcess daemon;
        daemon.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address"});
        if (!daemon.waitForStarted())
            QSKIP("dbus-daemon is not installed");
        QVERIFY(daemon.waitForReadyRead(5000));
        const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
        {
            QDBusConnection bus = QDBusConnection::connectToBus(address, "watch");
            QDBusConnection logind = QDBusConnection::connectToBus(address, "logind");
            QVERIFY(logind.registerService("org.freedesktop.login1"));
            ScreenSaverWatch watch(bus, bus, "2");
            QSignalSpy changes(&watch, &ScreenSaverWatch::activeChanged);
            for (const bool active : {true, false}) {
                QDBusMessage message =
                    QDBusMessage::createSignal(path, interface, off.isEmpty() || active ? on : off);
                if (off.isEmpty())
                    message << active;
                QVERIFY(logind.send(message));
                QVERIFY(changes.wait(5000));
                QCOMPARE(changes.last().first().toBool(), active);
            }
        }
        QDBusConnection::disconnectFromBus("watch");
        QDBusConnection::disconnectFromBus("logind");
        daemon.kill();
        daemon.waitForFinished();
    }
};

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
