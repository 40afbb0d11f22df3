#include "StripRig.h"
#include "app/StripPicture.h"
#include "window/DragHandles.h"
#include "window/StripPlacement.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>

namespace {

// Sends one mouse event to `target`, as the window system would while the
// button is held over (or captured by) it.
void sendMouse(QWidget* target, QEvent::Type type, Qt::MouseButton button)
{
    const QPoint at(2, 2);
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, at, target->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

class TestDrag : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void clampLeft_data();
    void clampLeft();
    void dragTargetKeepsOffsetAndSize();
    void drag_data();
    void drag();
    void windowFollowsTheSampledPointer();
    void hoverWithoutPressMovesNothing();
    void plainClickClampsAndRecaptures_data();
    void plainClickClampsAndRecaptures();
    void menuPictureDoesNotDrag();
    void releaseSavesNothingAndLeavesTheRestAlone();
    void dragHandlesReportEachStep();
};

void TestDrag::clampLeft_data()
{
    QTest::addColumn<float>("left");
    QTest::addColumn<float>("screenWidth");
    QTest::addColumn<float>("clamped");

    // 1024 pixels at 15 twips: 15360 twips; the rightmost left is 8250.
    QTest::newRow("off the left") << -450.0F << 15360.0F << 0.0F;
    QTest::newRow("exactly 0") << 0.0F << 15360.0F << 0.0F;
    QTest::newRow("just inside") << 15.0F << 15360.0F << 15.0F;
    QTest::newRow("in the middle") << 5680.0F << 15360.0F << 5680.0F;
    QTest::newRow("reach exactly at the edge") << 8250.0F << 15360.0F << 8250.0F;
    QTest::newRow("one pixel past the edge") << 8265.0F << 15360.0F << 8250.0F;
    QTest::newRow("far past the edge") << 20000.0F << 15360.0F << 8250.0F;
    QTest::newRow("fraction past the edge") << 8250.5F << 15360.0F << 8250.0F;
    QTest::newRow("screen narrower than the strip") << 300.0F << 6000.0F << -1110.0F;
    QTest::newRow("narrow screen, off the left") << -300.0F << 6000.0F << -1110.0F;
}

void TestDrag::clampLeft()
{
    QFETCH(float, left);
    QFETCH(float, screenWidth);
    QFETCH(float, clamped);
    QCOMPARE(StripPlacement::clampLeft(left, screenWidth), clamped);
}

void TestDrag::dragTargetKeepsOffsetAndSize()
{
    const QRect window(100, 0, 477, 23);
    const QPoint offset = StripPlacement::dragOffset(QPoint(150, 10), window);
    QCOMPARE(offset, QPoint(50, 10));
    QCOMPARE(StripPlacement::dragTarget(QPoint(400, 300), offset, window),
             QRect(350, 290, 477, 23));
    QCOMPARE(StripPlacement::dragTarget(QPoint(10, 5), offset, window), QRect(-40, -5, 477, 23));
}

void TestDrag::drag_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("button");
    QTest::addColumn<QPoint>("pointer");      // where the pointer is taken
    QTest::addColumn<QPoint>("whileDragged"); // top-left of the window then
    QTest::addColumn<double>("left");         // twips after the release
    QTest::addColumn<int>("x");               // pixels after the release

    // The strip starts at x 100 (1500 twips); the press is at (150, 10).
    QTest::newRow("along the top")
        << "Label1" << int(Qt::LeftButton) << QPoint(350, 10) << QPoint(300, 0) << 4500.0 << 300;
    QTest::newRow("off the left") << "Label1" << int(Qt::LeftButton) << QPoint(20, 10)
                                  << QPoint(-30, 0) << 0.0 << 0;
    QTest::newRow("to exactly 0") << "Label2" << int(Qt::LeftButton) << QPoint(50, 10)
                                  << QPoint(0, 0) << 0.0 << 0;
    QTest::newRow("past the right")
        << "Label3" << int(Qt::LeftButton) << QPoint(800, 10) << QPoint(750, 0) << 8250.0 << 550;
    QTest::newRow("reach exactly at the right edge")
        << "Label4" << int(Qt::LeftButton) << QPoint(600, 10) << QPoint(550, 0) << 8250.0 << 550;
    QTest::newRow("one pixel past it")
        << "Label1" << int(Qt::LeftButton) << QPoint(601, 10) << QPoint(551, 0) << 8250.0 << 550;
    QTest::newRow("down into the screen")
        << "Label1" << int(Qt::LeftButton) << QPoint(350, 300) << QPoint(300, 290) << 4500.0 << 300;
    QTest::newRow("above the screen")
        << "Label4" << int(Qt::LeftButton) << QPoint(350, 0) << QPoint(300, -10) << 4500.0 << 300;
    QTest::newRow("right button") << "Label1" << int(Qt::RightButton) << QPoint(250, 40)
                                  << QPoint(200, 30) << 3000.0 << 200;
    QTest::newRow("middle button")
        << "Label3" << int(Qt::MiddleButton) << QPoint(250, 10) << QPoint(200, 0) << 3000.0 << 200;
}

void TestDrag::drag()
{
    QFETCH(QString, label);
    QFETCH(int, button);
    QFETCH(QPoint, pointer);
    QFETCH(QPoint, whileDragged);
    QFETCH(double, left);
    QFETCH(int, x);

    StripRig rig(StripRig::Options().storing({{"left", "1500"}}));
    rig.start();
    Form1& form = rig.form;
    auto* handle = form.findChild<QLabel*>(label);
    QVERIFY(handle);
    const auto held = Qt::MouseButton(button);

    rig.pointAt({150, 10});
    sendMouse(handle, QEvent::MouseButtonPress, held);
    QCOMPARE(form.mblnDragging, qint16(-1));
    QCOMPARE(QPoint(form.mlngDragOffsetX, form.mlngDragOffsetY), QPoint(50, 10));

    rig.pointAt(pointer);
    sendMouse(handle, QEvent::MouseMove, held);
    QCOMPARE(form.geometry(), QRect(whileDragged, QSize(477, 23)));
    // The rectangle is taken again only at the release.
    QCOMPARE(form.mrctWindow, QRect(100, 0, 477, 23));

    sendMouse(handle, QEvent::MouseButtonRelease, held);
    QCOMPARE(form.mblnDragging, qint16(0));
    QCOMPARE(form.leftTwips(), left);
    QCOMPARE(form.geometry(), QRect(x, 0, 477, 23));
    QCOMPARE(form.mrctWindow, QRect(x, 0, 477, 23));
    QCOMPARE(form.mlngFullHeight, 340);
    QVERIFY(form.isFullHeight());
}

// Mouse moves between two Timer1 ticks find the same pointer sample and
// place the window at the same spot.
void TestDrag::windowFollowsTheSampledPointer()
{
    StripRig rig(StripRig::Options().storing({{"left", "1500"}}));
    rig.start();
    rig.pointAt({150, 10});
    sendMouse(rig.form.Label1, QEvent::MouseButtonPress, Qt::LeftButton);

    rig.desktop.cursor = {400, 10}; // not sampled yet
    sendMouse(rig.form.Label1, QEvent::MouseMove, Qt::LeftButton);
    QCOMPARE(rig.form.pos(), QPoint(100, 0));
    rig.form.Timer1_Timer();
    sendMouse(rig.form.Label1, QEvent::MouseMove, Qt::LeftButton);
    QCOMPARE(rig.form.pos(), QPoint(350, 0));
    sendMouse(rig.form.Label1, QEvent::MouseMove, Qt::LeftButton);
    QCOMPARE(rig.form.pos(), QPoint(350, 0));
    sendMouse(rig.form.Label1, QEvent::MouseButtonRelease, Qt::LeftButton);
    QCOMPARE(rig.form.leftTwips(), 5250.0);
}

void TestDrag::hoverWithoutPressMovesNothing()
{
    StripRig rig(StripRig::Options().storing({{"left", "1500"}}));
    rig.start();
    rig.pointAt({400, 10});
    for (QLabel* label : {rig.form.Label1, rig.form.Label2, rig.form.Label3, rig.form.Label4})
        sendMouse(label, QEvent::MouseMove, Qt::NoButton);
    QCOMPARE(rig.form.pos(), QPoint(100, 0));
    QCOMPARE(rig.form.leftTwips(), 1500.0);
    QCOMPARE(rig.form.mblnDragging, qint16(0));
}

void TestDrag::plainClickClampsAndRecaptures_data()
{
    QTest::addColumn<QString>("storedLeft");
    QTest::addColumn<bool>("collapsed");
    QTest::addColumn<double>("left");
    QTest::addColumn<int>("x");

    QTest::newRow("inside: left alone") << "1500" << false << 1500.0 << 100;
    QTest::newRow("stored off the left") << "-3000" << false << 0.0 << 0;
    QTest::newRow("stored off the right") << "14000" << false << 8250.0 << 550;
    QTest::newRow("collapsed strip opens") << "1500" << true << 1500.0 << 100;
}

void TestDrag::plainClickClampsAndRecaptures()
{
    QFETCH(QString, storedLeft);
    QFETCH(bool, collapsed);
    QFETCH(double, left);
    QFETCH(int, x);

    StripRig rig(StripRig::Options().storing({{"left", storedLeft}}));
    rig.start();
    if (collapsed) {
        rig.collapse();
        QCOMPARE(rig.form.height(), 1);
    }
    rig.form.mrctWindow = QRect(); // so the recapture shows
    sendMouse(rig.form.Label3, QEvent::MouseButtonPress, Qt::LeftButton);
    sendMouse(rig.form.Label3, QEvent::MouseButtonRelease, Qt::LeftButton);
    QCOMPARE(rig.form.leftTwips(), left);
    QCOMPARE(rig.form.mrctWindow, QRect(x, 0, 477, 23));
    QVERIFY(rig.form.isFullHeight());
    QCOMPARE(rig.form.mblnDragging, qint16(0));
}

void TestDrag::menuPictureDoesNotDrag()
{
    StripRig rig(StripRig::Options().storing({{"left", "1500"}}));
    rig.start();
    rig.pointAt({460, 10});
    sendMouse(rig.form.Image1, QEvent::MouseButtonPress, Qt::LeftButton);
    QCOMPARE(rig.form.mblnDragging, qint16(0));
    rig.pointAt({200, 200});
    sendMouse(rig.form.Image1, QEvent::MouseButtonRelease, Qt::LeftButton);
    QCOMPARE(rig.form.pos(), QPoint(100, 0));
    QCOMPARE(rig.form.mrctWindow, QRect(100, 0, 477, 23));

    // Disabled, it passes nothing on either.
    rig.form.Image1->setEnabled(false);
    sendMouse(rig.form.Image1, QEvent::MouseButtonPress, Qt::RightButton);
    QCOMPARE(rig.form.mblnDragging, qint16(0));
}

// The release only places the strip: no setting is written, the character
// stays where it is and the lines keep their text.
void TestDrag::releaseSavesNothingAndLeavesTheRestAlone()
{
    StripRig rig(StripRig::Options().storing({{"left", "1500"}}));
    rig.start();
    const QString leftStored = rig.store.value(QStringLiteral("left"));
    rig.state.gintCountdown = 1; // the welcome has run out
    rig.form.Label1->setText(QStringLiteral(" Buongiorno."));
    rig.log.clear();

    rig.pointAt({150, 10});
    sendMouse(rig.form.Label2, QEvent::MouseButtonPress, Qt::LeftButton);
    rig.pointAt({450, 10});
    sendMouse(rig.form.Label2, QEvent::MouseMove, Qt::LeftButton);
    sendMouse(rig.form.Label2, QEvent::MouseButtonRelease, Qt::LeftButton);

    QCOMPARE(rig.form.leftTwips(), 6000.0);
    QCOMPARE(rig.store.value(QStringLiteral("left")), leftStored);
    QVERIFY(rig.log.isEmpty());
    QCOMPARE(rig.form.Label1->text(), QStringLiteral(" Buongiorno."));
}

void TestDrag::dragHandlesReportEachStep()
{
    QStringList steps;
    QWidget parent;
    DragHandles handles([&] { steps << "down"; }, [&] { steps << "move"; }, [&] { steps << "up"; });
    auto* handle = new QLabel(&parent);
    auto* other = new QLabel(&parent);
    handles.watch(handle);

    sendMouse(handle, QEvent::MouseButtonPress, Qt::RightButton);
    sendMouse(handle, QEvent::MouseMove, Qt::RightButton);
    sendMouse(handle, QEvent::MouseButtonRelease, Qt::RightButton);
    sendMouse(other, QEvent::MouseButtonPress, Qt::LeftButton);
    QCOMPARE(steps, (QStringList{"down", "move", "up"}));
}

QTEST_MAIN(TestDrag)
#include "tst_drag.moc"
