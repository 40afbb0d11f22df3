#include "StripRig.h"
#include "UnexpectedWarnings.h"
#include "platform/ProductInfo.h"
#include "ui/AboutWindow.h"
#include "ui/VersionPicture.h"

#include <QFontMetrics>
#include <QTest>

class TestVersion : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnUnexpectedWarnings(); }
    void versionWindow_data();
    void versionWindow();
    void pictureShowsProductInfo();
};

void TestVersion::versionWindow_data()
{
    QTest::addColumn<bool>("about");  // About, else the start-up window
    QTest::addColumn<QString>("how"); // "click", "escape", else the window manager closes it
    QTest::newRow("splash, click") << false << "click";
    QTest::newRow("about, click") << true << "click";
    QTest::newRow("about, escape") << true << "escape";
    QTest::newRow("about, closed") << true << "closed";
}

void TestVersion::versionWindow()
{
    QFETCH(bool, about);
    QFETCH(QString, how);
    const bool byUser = how != "closed";
    StripRig rig;
    rig.desktop.screen = QRect(1280, 0, 1280, 800); // a second monitor
    rig.start();
    QCOMPARE(rig.tutor.splash()->pos(), QPoint(1280 + 573, 280)); // a little up and left of centre
    for (int i = 0; i < 7; ++i)                                   // mid-welcome
        rig.strip.pointerTick();
    rig.timer("Timer5")->start();
    if (about)
        rig.menu.openAbout();
    QPointer<VersionWindow> window = about ? static_cast<VersionWindow*>(rig.menu.aboutWindow())
                                           : static_cast<VersionWindow*>(rig.tutor.splash());
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Version"));
    QCOMPARE(window->size(), QSize(210, 280));
    QCOMPARE(rig.menuOpens(), !about); // About locks the menu
    if (about) {
        QCOMPARE(window->pos(), QPoint(1815, 260)); // centred on its screen
        QCoreApplication::processEvents();
        QVERIFY(window->isActiveWindow()); // opened by a click, it has the keys
    }

    if (how == "click")
        QTest::mousePress(window->picture(), Qt::LeftButton, Qt::NoModifier, QPoint(105, 140));
    else if (how == "escape")
        QTest::keyClick(window, Qt::Key_Escape);
    else
        window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(window.isNull(), byUser);
    QVERIFY(rig.menuOpens());
    // The splash shows the strip where the welcome would have; About leaves it be.
    QCOMPARE(rig.strip.isVisible(), !about);
    QCOMPARE(rig.strip.countdown(), qint16(about ? 63 : 50));
    QVERIFY(rig.timer("Timer5")->isActive()); // playback goes on
}

void TestVersion::pictureShowsProductInfo()
{
    const QRect picture(0, 0, VersionPicture::kWidth, VersionPicture::kHeight);
    QStringList texts;
    for (const VersionPicture::TextLine& line : VersionPicture::textLines()) {
        texts.append(line.text);
        // Each font is shrunk until its line fits its box on the picture.
        QVERIFY2(picture.contains(line.box), qPrintable(line.text));
        QVERIFY2(QFontMetrics(line.font).horizontalAdvance(line.text) <= line.box.width(),
                 qPrintable(line.text));
    }
    for (const char* expected : {ProductInfo::kVersionText, ProductInfo::kMaker,
                                 ProductInfo::kWebsite, ProductInfo::kEmailAddress})
        QVERIFY2(texts.contains(QString::fromUtf8(expected)), expected);
}

QTEST_MAIN(TestVersion)
#include "tst_version.moc"
