#include "FakeDesktop.h"
#include "RecordingCharacter.h"
#include "TestEnvironment.h"
#include "agent/AgentControl.h"
#include "app/Form1.h"
#include "app/StripPicture.h"
#include "content/Corpus.h"
#include "settings/PlaybackState.h"
#include "settings/SettingsStore.h"
#include "ui/Form4.h"
#include "ui/Form7.h"
#include "ui/ProductInfo.h"
#include "ui/VersionPicture.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

// Everything a Form1 needs, with the desktop and the character faked and the
// settings in a temporary folder.
struct Rig {
    TestEnvironment environment;
    PlaybackState state;
    const Corpus corpus;
    SettingsStore store;
    QStringList calls;
    AgentControl agent{[this](const QString&, const QString&) -> std::unique_ptr<Character> {
        return std::make_unique<RecordingCharacter>(&calls);
    }};
    FakeDesktop desktop;
    Form1 form1{state, corpus, store, agent, desktop};
};

QImage renderPicture(qreal devicePixelRatio)
{
    const QSize logical(VersionPicture::kWidth, VersionPicture::kHeight);
    QImage image(logical * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::black);
    QPainter painter(&image);
    VersionPicture::paint(painter);
    return image;
}

bool isBlue(QRgb pixel)
{
    return qBlue(pixel) > qRed(pixel) + 60 && qBlue(pixel) > qGreen(pixel) + 30;
}

bool isWhitish(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) > 200 && qBlue(pixel) > 200;
}

// Presses the picture where a user would; the window handles what its
// picture does not.
void pressPicture(VersionWindow& window, const QPoint& at, Qt::MouseButton button)
{
    QTest::mousePress(window.Image1, button, Qt::NoModifier, at);
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestVersion : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void windowsAreBorderlessVersionPictures_data();
    void windowsAreBorderlessVersionPictures();

    void splashClickShowsTheStrip_data();
    void splashClickShowsTheStrip();
    void splashIgnoresOtherButtons();
    void startUpSplashCanBeClickedAway();

    void aboutLocksTheMenuUntilClicked_data();
    void aboutLocksTheMenuUntilClicked();
    void aboutClosedAnotherWayUnlocksTheMenu();
    void aboutLeavesPlaybackAlone_data();
    void aboutLeavesPlaybackAlone();
    void aboutOpensCentred_data();
    void aboutOpensCentred();

    void pictureNamesProductAndMaker();
    void pictureTextFitsInside();
    void pictureIsBlueWithTheItalianColours_data();
    void pictureIsBlueWithTheItalianColours();

private:
    std::unique_ptr<Rig> m_rig;
};

void TestVersion::init()
{
    m_rig = std::make_unique<Rig>();
}

void TestVersion::cleanup()
{
    flushDeletes();
    m_rig.reset();
}

void TestVersion::windowsAreBorderlessVersionPictures_data()
{
    QTest::addColumn<bool>("about");
    QTest::newRow("Form4") << false;
    QTest::newRow("Form7") << true;
}

void TestVersion::windowsAreBorderlessVersionPictures()
{
    QFETCH(bool, about);
    std::unique_ptr<VersionWindow> window;
    if (about)
        window = std::make_unique<Form7>(m_rig->form1);
    else
        window = std::make_unique<Form4>(m_rig->form1);

    QCOMPARE(window->objectName(), about ? QStringLiteral("Form7") : QStringLiteral("Form4"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Version"));
    QCOMPARE(window->size(), QSize(210, 280));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    const Qt::WindowFlags flags = window->windowFlags();
    QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
    QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool); // no task bar entry

    QCOMPARE(window->Image1->objectName(), QStringLiteral("Image1"));
    QCOMPARE(window->Image1->geometry(), window->rect());
    QCOMPARE(window->findChild<VersionPicture*>(QStringLiteral("Image1")), window->Image1);
}

void TestVersion::splashClickShowsTheStrip_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::newRow("top left corner") << QPoint(0, 0);
    QTest::newRow("on the emblem") << QPoint(105, 55);
    QTest::newRow("on the title") << QPoint(105, 130);
    QTest::newRow("on an address") << QPoint(40, 218);
    QTest::newRow("bottom right corner") << QPoint(209, 279);
}

void TestVersion::splashClickShowsTheStrip()
{
    QFETCH(QPoint, at);
    Form1& form1 = m_rig->form1;
    form1.hide();
    m_rig->state.gintCountdown = 63; // mid-splash
    QPointer<Form4> splash = new Form4(form1);
    splash->show();

    pressPicture(*splash, at, Qt::LeftButton);

    QVERIFY(form1.isVisible());
    QVERIFY(!splash->isVisible());
    QCOMPARE(m_rig->state.gintCountdown, qint16(50));
    flushDeletes();
    QVERIFY(splash.isNull());
}

void TestVersion::splashIgnoresOtherButtons()
{
    Form1& form1 = m_rig->form1;
    form1.hide();
    m_rig->state.gintCountdown = 63;
    QPointer<Form4> splash = new Form4(form1);
    splash->show();

    pressPicture(*splash, QPoint(105, 140), Qt::RightButton);
    flushDeletes();

    QVERIFY(!splash.isNull());
    QVERIFY(splash->isVisible());
    QVERIFY(!form1.isVisible());
    QCOMPARE(m_rig->state.gintCountdown, qint16(63));
    delete splash;
}

void TestVersion::startUpSplashCanBeClickedAway()
{
    Form1& form1 = m_rig->form1;
    form1.Form_Load();
    QPointer<Form4> splash = form1.startupWindow();
    QVERIFY(splash);
    QVERIFY(splash->isVisible());
    QVERIFY(!form1.isVisible());

    pressPicture(*splash, QPoint(105, 140), Qt::LeftButton);
    flushDeletes();

    QVERIFY(splash.isNull());
    QVERIFY(form1.startupWindow() == nullptr);
    QVERIFY(form1.isVisible());
    // The welcome goes on from where the strip would have appeared by itself.
    form1.Timer1_Timer();
    QCOMPARE(m_rig->state.gintCountdown, qint16(49));
    QVERIFY(form1.isVisible());
}

void TestVersion::aboutLocksTheMenuUntilClicked_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::newRow("top left corner") << QPoint(1, 1);
    QTest::newRow("middle") << QPoint(105, 140);
    QTest::newRow("bottom right corner") << QPoint(208, 278);
}

void TestVersion::aboutLocksTheMenuUntilClicked()
{
    QFETCH(QPoint, at);
    StripPicture* menuPicture = m_rig->form1.Image1;
    QVERIFY(menuPicture->isEnabled());

    QPointer<Form7> about = new Form7(m_rig->form1);
    about->Form_Load();
    about->show();
    QVERIFY(!menuPicture->isEnabled());

    pressPicture(*about, at, Qt::LeftButton);

    QVERIFY(menuPicture->isEnabled());
    QVERIFY(!about->isVisible());
    flushDeletes();
    QVERIFY(about.isNull());
}

void TestVersion::aboutClosedAnotherWayUnlocksTheMenu()
{
    auto about = std::make_unique<Form7>(m_rig->form1);
    about->Form_Load();
    about->show();
    QVERIFY(!m_rig->form1.Image1->isEnabled());

    about->close(); // the window manager's close, not a click

    QVERIFY(m_rig->form1.Image1->isEnabled());
}

void TestVersion::aboutLeavesPlaybackAlone_data()
{
    QTest::addColumn<bool>("playing");
    QTest::newRow("while playing") << true;
    QTest::newRow("before playback") << false;
}

void TestVersion::aboutLeavesPlaybackAlone()
{
    QFETCH(bool, playing);
    Form1& form1 = m_rig->form1;
    PlaybackState& state = m_rig->state;
    if (playing)
        form1.Timer5->start();
    else
        form1.Timer5->stop();
    state.gintTick = 17;
    state.gintPhase = 3;
    state.gintCycle = 1;
    state.gintCountdown = 1;
    const QStringList callsBefore = m_rig->calls;

    auto* about = new Form7(form1);
    about->Form_Load();
    about->show();
    QCOMPARE(form1.Timer5->isActive(), playing);
    pressPicture(*about, QPoint(105, 140), Qt::LeftButton);
    flushDeletes();

    QCOMPARE(form1.Timer5->isActive(), playing);
    QCOMPARE(state.gintTick, qint16(17));
    QCOMPARE(state.gintPhase, qint16(3));
    QCOMPARE(state.gintCycle, qint16(1));
    QCOMPARE(state.gintCountdown, qint16(1));
    QCOMPARE(m_rig->calls, callsBefore);
}

void TestVersion::aboutOpensCentred_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("topLeft");
    QTest::newRow("1024x768") << QRect(0, 0, 1024, 768) << QPoint(407, 244);
    QTest::newRow("1920x1080") << QRect(0, 0, 1920, 1080) << QPoint(855, 400);
    QTest::newRow("second screen") << QRect(1280, 0, 1280, 800) << QPoint(1815, 260);
}

void TestVersion::aboutOpensCentred()
{
    QFETCH(QRect, screen);
    QFETCH(QPoint, topLeft);
    m_rig->desktop.screen = screen;

    Form7 about(m_rig->form1);
    about.Form_Load();

    QCOMPARE(about.pos(), topLeft);
}

void TestVersion::pictureNamesProductAndMaker()
{
    QStringList texts;
    for (const VersionPicture::TextLine& line : VersionPicture::textLines())
        texts.append(line.text);

    QCOMPARE(texts.value(0), QStringLiteral("Quorvel V1.01"));
    for (const char* expected : {ProductInfo::kVersionText, ProductInfo::kMaker,
                                 ProductInfo::kWebsite, ProductInfo::kEmailAddress})
        QVERIFY2(texts.contains(QString::fromUtf8(expected)), expected);
}

void TestVersion::pictureTextFitsInside()
{
    const QRect picture(0, 0, VersionPicture::kWidth, VersionPicture::kHeight);
    const QList<VersionPicture::TextLine> lines = VersionPicture::textLines();
    QVERIFY(!lines.isEmpty());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const VersionPicture::TextLine& line = lines[i];
        const QFontMetrics metrics(line.font);
        QVERIFY2(picture.contains(line.box), qPrintable(line.text));
        QVERIFY2(metrics.horizontalAdvance(line.text) <= line.box.width(), qPrintable(line.text));
        QVERIFY2(metrics.height() <= line.box.height() + 2, qPrintable(line.text));
        if (i > 0)
            QVERIFY2(!lines[i - 1].box.intersects(line.box), qPrintable(line.text));
    }
}

void TestVersion::pictureIsBlueWithTheItalianColours_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("1x") << 1.0;
    QTest::newRow("2x") << 2.0;
}

void TestVersion::pictureIsBlueWithTheItalianColours()
{
    QFETCH(qreal, ratio);
    const QImage image = renderPicture(ratio);
    const auto at = [&](int x, int y) { return image.pixel(qRound(x * ratio), qRound(y * ratio)); };

    // Blue all the way to the far corner: the picture fills the window at any ratio.
    for (const QPoint& p : {QPoint(2, 2), QPoint(207, 2), QPoint(2, 277), QPoint(209, 279),
                            QPoint(20, 140), QPoint(190, 200)})
        QVERIFY2(isBlue(at(p.x(), p.y())),
                 qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));

    // The bubble: green on the left, red on the right.
    const QRgb green = at(62, 40);
    const QRgb red = at(148, 40);
    QVERIFY(qGreen(green) > qRed(green) + 60 && qGreen(green) > qBlue(green) + 30);
    QVERIFY(qRed(red) > qGreen(red) + 60 && qRed(red) > qBlue(red) + 60);

    // White writing where the title is.
    const QRect title = VersionPicture::textLines().constFirst().box;
    int written = 0;
    for (int y = title.top(); y <= title.bottom(); ++y)
        for (int x = title.left(); x <= title.right(); ++x)
            written += isWhitish(at(x, y)) ? 1 : 0;
    QVERIFY2(written > 100, qPrintable(QString::number(written)));
}

QTEST_MAIN(TestVersion)
#include "tst_version.moc"
