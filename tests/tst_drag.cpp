#include "StripRig.h"
#include "UnexpectedWarnings.h"
#include "strip/StripPicture.h"

#include <QMouseEvent>
#include <QTest>

class TestDrag : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnUnexpectedWarnings(); }
    void drag_data();
    void drag();
    void toTheSecondMonitor();
    void followsTheDesktop_data();
    void followsTheDesktop();
};

void TestDrag::drag_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("storedLeft");
    QTest::addColumn<QPoint>("pointer"); // null: a plain click, no move
    QTest::addColumn<double>("left");    // twips after the release

    // 1024 pixels at 15 twips: 15360 twips, so the rightmost left is 8250.
    const int L = Qt::LeftButton, R = Qt::RightButton, M = Qt::MiddleButton;
    QTest::newRow("off the left") << "Label1" << L << "1500" << QPoint(20, 10) << 0.0;
    QTest::newRow("to exactly 0") << "Label2" << L << "1500" << QPoint(50, 10) << 0.0;
    QTest::newRow("past the right") << "Label3" << L << "1500" << QPoint(800, 10) << 8250.0;
    QTest::newRow("reach at the edge") << "Label4" << L << "1500" << QPoint(600, 10) << 8250.0;
    QTest::newRow("right button, low") << "Label1" << R << "1500" << QPoint(250, 300) << 3000.0;
    QTest::newRow("middle button") << "Label3" << M << "1500" << QPoint(250, 10) << 3000.0;
    QTest::newRow("click, off the left") << "Label3" << L << "-3000" << QPoint() << 0.0;
    QTest::newRow("click, off the right") << "Label2" << L << "14000" << QPoint() << 8250.0;
}

// From a collapsed strip, pressed 50 pixels into it and 10 down.
void TestDrag::drag()
{
    QFETCH(QString, label);
    QFETCH(int, button);
    QFETCH(QString, storedLeft);
    QFETCH(QPoint, pointer);
    QFETCH(double, left);

    StripRig rig({{"left", storedLeft}});
    rig.start();
    rig.collapse();
    CaptionStrip& form = rig.strip;
    auto* handle = form.findChild<QWidget*>(label);
    const auto held = Qt::MouseButton(button);
    const QPoint start = form.pos();
    rig.log.clear();
    rig.pointAt(start + QPoint(50, 10));

    // The menu picture neither drags nor releases.
    QWidget* picture = rig.child("Image1");
    QTest::mousePress(picture, held);
    QVERIFY(!form.isDragging());
    QTest::mouseRelease(picture, held);
    QCOMPARE(form.geometry(), QRect(start, QSize(477, 1)));

    QTest::mousePress(handle, held);
    QVERIFY(form.isDragging());
    if (!pointer.isNull()) {
        rig.pointAt(pointer);
        QTest::mouseMove(handle);
        QCOMPARE(form.geometry(), QRect(pointer - QPoint(50, 10), QSize(477, 23)));
    }
    QTest::mouseRelease(handle, held);
    QVERIFY(!form.isDragging());
    form.followPointer(); // no label held: nothing moves
    QCOMPARE(form.leftTwips(), left);
    const QRect pinned(int(left) / 15, 0, 477, 23);
    QCOMPARE(form.geometry(), pinned);
    QCOMPARE(form.windowRect(), pinned);
    QVERIFY(form.isFullHeight());
    QVERIFY(rig.log.isEmpty()); // nothing saved, the parrot stays put
    // The second press of a quick double click takes hold as the first does.
    QMouseEvent again(QEvent::MouseButtonDblClick, QPointF(1, 1),
                      handle->mapToGlobal(QPointF(1, 1)), held, held, Qt::NoModifier);
    QCoreApplication::sendEvent(handle, &again);
    QVERIFY(form.isDragging());
}

// Dropped on another monitor, the strip stays there, on that monitor's top
// edge below its panel, and the windows opened later follow it.
void TestDrag::toTheSecondMonitor()
{
    StripRig rig({{"left", "1500"}});
    const QRect second(1024, 0, 1280, 800);
    rig.desktop.others = {{second, second.adjusted(0, 24, 0, 0)}};
    rig.start();
    QWidget* handle = rig.child("Label1");
    rig.pointAt({150, 10});
    QTest::mousePress(handle, Qt::LeftButton);
    rig.pointAt({1700, 300});
    QTest::mouseMove(handle);
    QTest::mouseRelease(handle, Qt::LeftButton);
    QCOMPARE(rig.strip.windowRect(), QRect(1650, 24, 477, 23));
    QCOMPARE(rig.strip.leftTwips(), 1650 * 15.0); // in desktop coordinates
    QCOMPARE(rig.desktop.screenGeometry(), second);
    // Below every monitor, a point goes to the one whose columns hold it.
    rig.desktop.setStripPoint({second.right(), 900});
    QCOMPARE(rig.desktop.screenGeometry(), second);
}

void TestDrag::followsTheDesktop_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QPoint>("pointer"); // over the collapsed strip's columns afterwards
    QTest::addColumn<QRect>("strip");    // where it is then, and its height
    QTest::addColumn<double>("left");

    const QPoint away(300, 400);
    QTest::newRow("a panel appears") << "panel" << away << QRect(100, 28, 477, 1) << 1500.0;
    QTest::newRow("the screen's top row over the panel")
        << "panel" << QPoint(300, 0) << QRect(100, 28, 477, 23) << 1500.0;
    QTest::newRow("row 3 over the panel")
        << "panel" << QPoint(576, 3) << QRect(100, 28, 477, 23) << 1500.0;
    QTest::newRow("row 4 over the panel")
        << "panel" << QPoint(300, 4) << QRect(100, 28, 477, 1) << 1500.0;
    QTest::newRow("the top row beside the strip")
        << "panel" << QPoint(577, 0) << QRect(100, 28, 477, 1) << 1500.0;
    QTest::newRow("the strip's own top row")
        << "panel" << QPoint(300, 31) << QRect(100, 28, 477, 23) << 1500.0;
    // Its right end stays on the primary monitor, as at start-up.
    QTest::newRow("its monitor unplugged")
        << "unplug" << away << QRect(550, 0, 477, 1) << 550 * 15.0;
    QTest::newRow("moved by the window manager once")
        << "moved once" << away << QRect(100, 0, 477, 1) << 1500.0;
    QTest::newRow("kept away by the window manager")
        << "moved twice" << away << QRect(0, 5, 477, 1) << 0.0;
}

// The strip follows the monitors and panels, and the place the window
// manager gives it.
void TestDrag::followsTheDesktop()
{
    QFETCH(QString, change);
    QFETCH(QPoint, pointer);
    QFETCH(QRect, strip);
    QFETCH(double, left);

    StripRig rig({{"left", change == "unplug" ? "25500" : "1500"}}); // 1700 or 100 pixels
    const QRect second(1024, 0, 1280, 800);
    if (change == "unplug")
        rig.desktop.others = {{second, second}};
    rig.start();
    rig.collapse();
    if (change == "panel")
        rig.desktop.available = QRect(0, 28, 1024, 740);
    if (change == "unplug")
        rig.desktop.others.clear();
    if (change.startsWith("moved")) {
        rig.strip.move(0, 5);
        if (change == "moved twice")
            rig.strip.move(0, 5);
    } else {
        rig.strip.followScreens();
    }
    rig.pointAt(pointer);
    QCOMPARE(rig.strip.geometry(), strip);
    QCOMPARE(rig.strip.leftTwips(), left);
    QCOMPARE(rig.strip.windowRect().topLeft(), strip.topLeft());
}

QTEST_MAIN(TestDrag)
#include "tst_drag.moc"
