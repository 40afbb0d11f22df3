#include "StripRig.h"
#include "UnexpectedWarnings.h"
#include "ui/AboutWindow.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTest>

class TestMenu : public QObject {
    Q_OBJECT

public Q_SLOTS:
    void open(const QUrl& url) { opened.append(url.toString()); } // the browser, the mail program

private Q_SLOTS:
    void init() { failOnUnexpectedWarnings(); }
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
        // The pointer on the picture above it keeps it open.
        h.desktop.cursor = menu->geometry().topRight() + QPoint(-5, -20);
        QMetaObject::invokeMethod(h.menu.findChild<QTimer*>(), "timeout");
        QVERIFY(menu->isVisible());

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

private:
    QStringList opened;
};

QTEST_MAIN(TestMenu)
#include "tst_menu.moc"
