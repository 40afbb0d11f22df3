#include "StripRig.h"
#include "UnexpectedWarnings.h"
#include "ui/AboutWindow.h"

#include <QDesktopServices>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

class TestMenu : public QObject {
    Q_OBJECT

public Q_SLOTS:
    void open(const QUrl& url) { opened.append(url.toString()); } // the browser, the mail program

private Q_SLOTS:
    void init() { failOnUnexpectedWarnings(); }
    void itemsAndWhatTheyDo()
    {
        StripRig h;
        h.start();
        QStringList items;
        for (const QAction* action : h.menu.menu()->actions())
            items << (action->isSeparator() ? "-" : action->text());
        QCOMPARE(items.join(','),
                 "&Settings...,&Non Read aloud,&About...,-,&Website,E_&mail,-,Exit");

        for (const char* scheme : {"http", "mailto"})
            QDesktopServices::setUrlHandler(scheme, this, "open");
        h.item("mnu_page")->trigger();
        h.item("mnu_email")->trigger();
        for (const char* scheme : {"http", "mailto"})
            QDesktopServices::unsetUrlHandler(scheme);
        QCOMPARE(opened.join(' '),
                 "http://quorvel.example.org/ mailto:support@quorvel.example.org");
    }

    void opensBelowTheStripEndUnlessAboutIsOpen_data()
    {
        QTest::addColumn<bool>("arrivalOnly");
        QTest::newRow("a move, a button held") << false;
        // Back where Qt last saw it, the pointer brings no move event along.
        QTest::newRow("the arrival alone") << true;
    }
    void opensBelowTheStripEndUnlessAboutIsOpen()
    {
        QFETCH(bool, arrivalOnly);
        StripRig h({{"left", "1500"}}); // well inside the test platform's smaller screen
        h.start();
        QMenu* menu = h.menu.menu();
        QSignalSpy shown(menu, &QMenu::aboutToShow); // each opening closes again at once
        connect(menu, &QMenu::aboutToShow, menu, &QMenu::close, Qt::QueuedConnection);
        QMouseEvent pointerMove(QEvent::MouseMove, QPointF(4, 4), QPointF(4, 4), {}, Qt::LeftButton,
                                {});
        QEnterEvent arrival(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
        QEvent& move = arrivalOnly ? static_cast<QEvent&>(arrival) : pointerMove;
        QWidget* picture = h.child("Image1");        // no click, even a button held
        QCoreApplication::sendEvent(picture, &move); // at (7110, 350) twips of the strip
        QCOMPARE(menu->geometry().topRight() + QPoint(1, 0), h.strip.mapToGlobal(QPoint(474, 23)));

        h.item("mnu_veri")->trigger();
        QCoreApplication::sendEvent(picture, &move);
        QCOMPARE(shown.size(), 1);
        h.menu.aboutWindow()->close();
        QCoreApplication::sendEvent(picture, &move);
        QCOMPARE(shown.size(), 2);
    }

    // The menu opens on a hover while the person may be typing elsewhere: no
    // key runs a command until they click into it.
    void keysOnlyAfterAClickIntoIt()
    {
        StripRig h({{"left", "1500"}});
        h.start();
        QMouseEvent move(QEvent::MouseMove, QPointF(4, 4), QPointF(4, 4), {}, Qt::NoButton, {});
        QCoreApplication::sendEvent(h.child("Image1"), &move);
        QMenu* menu = h.menu.menu();
        QVERIFY(menu->isVisible() && !menu->isActiveWindow());
        QVERIFY(menu->windowFlags().testFlag(Qt::X11BypassWindowManagerHint)); // grabs nothing
        QTest::keyClick(menu, Qt::Key_A);
        QVERIFY(!h.menu.aboutWindow() && menu->isVisible());

        const QPoint beside(menu->width() / 2, menu->actionGeometry(h.item("f1")).center().y());
        QTest::mouseClick(menu, Qt::LeftButton, {}, beside); // on the separator
        QVERIFY(menu->isVisible());
        QTest::keyClick(menu, Qt::Key_A);
        QVERIFY(h.menu.aboutWindow() && !menu->isVisible());
    }

    void keptOnScreen_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QPoint>("topRight");
        QTest::addColumn<QPoint>("topLeft");
        const QRect first(0, 0, 1024, 768), second(1024, 0, 800, 600);
        QTest::newRow("room enough") << first << QPoint(573, 23) << QPoint(373, 23);
        QTest::newRow("off the left") << first << QPoint(150, 23) << QPoint(0, 23);
        QTest::newRow("off the right") << first << QPoint(1100, 23) << QPoint(824, 23);
        QTest::newRow("off the bottom") << first << QPoint(573, 700) << QPoint(373, 468);
        QTest::newRow("second screen") << second << QPoint(1100, 23) << QPoint(1024, 23);
        QTest::newRow("larger than it") << QRect(0, 0, 150, 250) << QPoint(573, 23) << QPoint(0, 0);
    }

    // A 200x300 menu hangs from the strip's end, but never off its screen.
    void keptOnScreen()
    {
        QFETCH(QRect, screen);
        QFETCH(QPoint, topRight);
        QFETCH(QPoint, topLeft);
        QCOMPARE(StripMenu::menuTopLeft(topRight, QSize(200, 300), screen), topLeft);
    }

    // Exit puts what it saves on the disk (which values, tst_settings checks).
    void exit()
    {
        StripRig h;
        h.store.loadSettings(h.state, 1024 * 15.0); // the first run
        h.state.saveSchedule = 1;
        h.state.playMode = 1;
        h.state.nextSentence = 10555;
        h.state.readAloud = 2;
        h.strip.setLeftTwips(4320); // never dragged in this run
        h.item("mnu_exit")->trigger();
        QCOMPARE(h.exits, 1);
        QFile f(h.env.settingsFile()); // read directly: the values must be on the disk
        QVERIFY(f.open(QFile::ReadOnly));
        const QByteArray disk = f.readAll();
        QVERIFY(disk.contains("\nvoice=2\n") && disk.contains("\nleft=4320\n"));
        QVERIFY(disk.contains("\nguagen=10555\n"));
    }

private:
    QStringList opened;
};

QTEST_MAIN(TestMenu)
#include "tst_menu.moc"
