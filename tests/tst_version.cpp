#include "StripRig.h"
#include "app/StripPicture.h"
#include "ui/Form4.h"
#include "ui/Form7.h"
#include "ui/ProductInfo.h"
#include "ui/VersionPicture.h"

#include <QFontMetrics>
#include <QTest>

class TestVersion : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void versionWindow_data();
    void versionWindow();
    void pictureShowsProductInfo();
};

void TestVersion::versionWindow_data()
{
    QTest::addColumn<bool>("about");   // Form7, else the start-up Form4
    QTest::addColumn<bool>("byClick"); // else the window manager closes it
    QTest::newRow("splash, click") << false << true;
    QTest::newRow("about, click") << true << true;
    QTest::newRow("about, closed") << true << false;
}

void TestVersion::versionWindow()
{
    QFETCH(bool, about);
    QFETCH(bool, byClick);
    StripRig rig;
    rig.desktop.screen = QRect(1280, 0, 1280, 800);
    rig.state.gintCountdown = 63; // mid-welcome
    rig.form.Timer5->start();
    Form7* form7 = about ? new Form7(rig.form) : nullptr;
    QPointer<VersionWindow> window =
        form7 ? form7 : static_cast<VersionWindow*>(new Form4(rig.form));
    if (form7)
        form7->Form_Load();
    window->show();
    QCOMPARE(window->windowTitle(), QStringLiteral("Version"));
    QCOMPARE(window->size(), QSize(210, 280));
    QCOMPARE(rig.form.Image1->isEnabled(), !about); // About locks the menu
    if (about)
        QCOMPARE(window->pos(), QPoint(1815, 260)); // centred on its screen

    if (byClick)
        QTest::mousePress(window->Image1, Qt::LeftButton, Qt::NoModifier, QPoint(105, 140));
    else
        window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(window.isNull(), byClick);
    delete window;
    QVERIFY(rig.form.Image1->isEnabled());
    // The splash shows the strip where the welcome would have; About leaves it be.
    QCOMPARE(rig.form.isVisible(), !about);
    QCOMPARE(rig.state.gintCountdown, qint16(about ? 63 : 50));
    QVERIFY(rig.form.Timer5->isActive()); // playback goes on
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
