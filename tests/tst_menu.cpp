#include "FakeDesktop.h"
#include "RecordingCharacter.h"
#include "TestEnvironment.h"
#include "agent/AgentControl.h"
#include "app/Form1.h"
#include "content/Corpus.h"
#include "settings/PlaybackState.h"
#include "settings/SettingsStore.h"
#include "ui/Form2.h"
#include "ui/Form3.h"
#include "ui/Form7.h"
#include "ui/ProductInfo.h"

#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

// A strip with its store in a temporary config folder, a fake 1024 x 768
// screen at 15 twips to the pixel and a character that records its calls.
struct Harness {
    Harness()
    {
        form1 = std::make_unique<Form1>(state, corpus, store, agent, desktop);
        form1->setLeftTwips(store.Load_Settings(state, desktop.screenWidthTwips()));
        agent.Characters().Load(QStringLiteral("Peedy"), QString());
        form1->mobjAgent = agent.Characters().Item(QStringLiteral("Peedy"));
        form1->mlngFullHeight = 340; // as start-up leaves it
        menu().setExitHandler([this] { ++exits; });
    }

    Form2& menu() { return form1->menuHolder(); }
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
    AgentControl agent{[this](const QString& id, const QString&) -> std::unique_ptr<Character> {
        if (id != QStringLiteral("Peedy"))
            return nullptr;
        return std::make_unique<RecordingCharacter>(&log);
    }};
    FakeDesktop desktop;
    std::unique_ptr<Form1> form1;
    int exits = 0;
};

// Notes where the menu appears and closes it again at once, so that the
// menu's own event loop returns without any waiting.
class MenuWatcher : public QObject {
    Q_OBJECT

public:
    explicit MenuWatcher(QMenu* menu) : m_menu(menu) { menu->installEventFilter(this); }

    QList<QRect> shown;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_menu && event->type() == QEvent::Show) {
            shown.append(m_menu->geometry());
            QMetaObject::invokeMethod(m_menu, &QMenu::close, Qt::QueuedConnection);
        }
        return false;
    }

private:
    QMenu* m_menu;
};

// Stands in for the desktop shell.
class ShellRecorder : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl& url) { opened.append(url); }
};

// Records, at the moment the Settings dialog becomes visible, whether its
// load had already paused the strip.
class ShowWatcher : public QObject {
    Q_OBJECT

public:
    explicit ShowWatcher(Harness& h) : m_h(h) {}

    int shows = 0;
    bool pictureEnabledAtShow = true;
    bool timerActiveAtShow = true;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<Form3*>(watched)) {
            ++shows;
            pictureEnabledAtShow = m_h.image1()->isEnabled();
            timerActiveAtShow = m_h.form1->Timer5->isActive();
        }
        return false;
    }

private:
    Harness& m_h;
};

void moveMouseOver(QWidget* widget)
{
    const QPoint at(widget->width() / 2, widget->height() / 2);
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

} // namespace

class TestMenu : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void items_data();
    void items();
    void readAloudTogglesCharacter_data();
    void readAloudTogglesCharacter();
    void readAloudWithoutCharacter();
    void menuTopLeft_data();
    void menuTopLeft();
    void opensBelowStripEnd();
    void opensAgainAfterClosing();
    void shellCommands_data();
    void shellCommands();
    void exitWrites_data();
    void exitWrites();
    void settingsCommand();
    void settingsDialogIsFreshEachTime();
    void aboutCommand();
    void nothingOpensWhileAboutIsOpen();
};

void TestMenu::items_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("separator");

    QTest::newRow("Settings") << 0 << "mnu_sysset"
                              << "&Settings..." << false;
    QTest::newRow("read aloud") << 1 << "mnu_hlp"
                                << "&Non Read aloud" << false;
    QTest::newRow("About") << 2 << "mnu_veri"
                           << "&About..." << false;
    QTest::newRow("first separator") << 3 << "f1"
                                     << "" << true;
    QTest::newRow("Website") << 4 << "mnu_page"
                             << "&Website" << false;
    QTest::newRow("E-mail") << 5 << "mnu_email"
                            << "E_&mail" << false;
    QTest::newRow("second separator") << 6 << "f2"
                                      << "" << true;
    QTest::newRow("Exit") << 7 << "mnu_exit"
                          << "Exit" << false;
}

void TestMenu::items()
{
    QFETCH(int, position);
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(bool, separator);

    Harness h;
    Form2& menu = h.menu();
    QVERIFY(!menu.isVisible());
    QCOMPARE(menu.mnu_file->objectName(), QStringLiteral("mnu_file"));
    QCOMPARE(menu.mnu_file->title(), QStringLiteral("file"));
    const QList<QAction*> actions = menu.mnu_file->actions();
    QCOMPARE(actions.size(), 8);
    QAction* action = actions[position];
    QCOMPARE(action->objectName(), name);
    QCOMPARE(action->isSeparator(), separator);
    if (!separator)
        QCOMPARE(action->text(), caption);
    QVERIFY(!menu.mnu_file->defaultAction());
}

void TestMenu::readAloudTogglesCharacter_data()
{
    QTest::addColumn<int>("readAloud");

    QTest::newRow("voice 1") << 1;
    QTest::newRow("voice 0") << 0;
    QTest::newRow("voice 2") << 2;
}

void TestMenu::readAloudTogglesCharacter()
{
    QFETCH(int, readAloud);

    Harness h;
    h.state.gintReadAloud = qint16(readAloud);
    Form2& menu = h.menu();

    menu.mnu_hlp->trigger();
    QCOMPARE(menu.mnu_hlp->text(), QStringLiteral("R&ead aloud"));
    QCOMPARE(h.log, QStringList{QStringLiteral("Hide")});

    menu.mnu_hlp->trigger();
    QCOMPARE(menu.mnu_hlp->text(), QStringLiteral("Non r&ead aloud"));
    QCOMPARE(h.log, (QStringList{QStringLiteral("Hide"), QStringLiteral("Show")}));

    menu.mnu_hlp->trigger();
    QCOMPARE(menu.mnu_hlp->text(), QStringLiteral("R&ead aloud"));
    QCOMPARE(h.log,
             (QStringList{QStringLiteral("Hide"), QStringLiteral("Show"), QStringLiteral("Hide")}));

    QCOMPARE(h.state.gintReadAloud, qint16(readAloud));
}

void TestMenu::readAloudWithoutCharacter()
{
    Harness h;
    h.form1->mobjAgent = nullptr;
    Form2& menu = h.menu();
    menu.mnu_hlp_Click();
    QCOMPARE(menu.mnu_hlp->text(), QStringLiteral("R&ead aloud"));
    menu.mnu_hlp_Click();
    QCOMPARE(menu.mnu_hlp->text(), QStringLiteral("Non r&ead aloud"));
    QVERIFY(h.log.isEmpty());
}

void TestMenu::menuTopLeft_data()
{
    QTest::addColumn<QPoint>("topRight");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("topLeft");

    const QRect screen(0, 0, 1024, 768);
    QTest::newRow("room enough") << QPoint(852, 23) << QSize(150, 180) << screen << QPoint(702, 23);
    QTest::newRow("strip at the left edge")
        << QPoint(100, 23) << QSize(150, 180) << screen << QPoint(0, 23);
    QTest::newRow("past the right edge")
        << QPoint(1100, 23) << QSize(150, 180) << screen << QPoint(874, 23);
    QTest::newRow("too low") << QPoint(500, 700) << QSize(150, 180) << screen << QPoint(350, 588);
    QTest::newRow("second screen")
        << QPoint(1500, 23) << QSize(150, 180) << QRect(1024, 0, 1280, 1024) << QPoint(1350, 23);
}

void TestMenu::menuTopLeft()
{
    QFETCH(QPoint, topRight);
    QFETCH(QSize, size);
    QFETCH(QRect, screen);
    QFETCH(QPoint, topLeft);

    QCOMPARE(Form2::menuTopLeft(topRight, size, screen), topLeft);
}

void TestMenu::opensBelowStripEnd()
{
    Harness h;
    h.form1->setLeftTwips(0);
    MenuWatcher watcher(h.menu().mnu_file);

    moveMouseOver(h.image1()); // no button, no click
    QCOMPARE(watcher.shown.size(), 1);
    // Top-right corner at (7110, 350) twips of the strip: (474, 23) pixels.
    const QPoint corner = h.form1->mapToGlobal(QPoint(474, 23));
    const QRect menu = watcher.shown.first();
    QCOMPARE(menu.x() + menu.width(), corner.x());
    QCOMPARE(menu.y(), corner.y());
}

void TestMenu::opensAgainAfterClosing()
{
    Harness h;
    h.form1->setLeftTwips(0);
    MenuWatcher watcher(h.menu().mnu_file);

    h.form1->Image1_MouseMove();
    QVERIFY(!h.menu().mnu_file->isVisible());
    // With the left button held down, too.
    const QPoint at(4, 4);
    QMouseEvent drag(QEvent::MouseMove, at, h.image1()->mapToGlobal(at), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(h.image1(), &drag);
    QCOMPARE(watcher.shown.size(), 2);
}

void TestMenu::shellCommands_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<QString>("url");

    QTest::newRow("Website") << "mnu_page"
                             << "http" << QString::fromLatin1(ProductInfo::kWebsite);
    QTest::newRow("E-mail") << "mnu_email"
                            << "mailto"
                            << QStringLiteral("mailto:") +
                                   QString::fromLatin1(ProductInfo::kEmailAddress);
}

void TestMenu::shellCommands()
{
    QFETCH(QString, item);
    QFETCH(QString, scheme);
    QFETCH(QString, url);

    Harness h;
    ShellRecorder shell;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &shell, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &shell, "open");

    h.menu().findChild<QAction*>(item)->trigger();

    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    QCOMPARE(shell.opened.size(), 1);
    QCOMPARE(shell.opened.first().scheme(), scheme);
    QCOMPARE(shell.opened.first().toString(), url);
    QVERIFY(url.startsWith(scheme + QLatin1Char(':')));
    QCOMPARE(h.exits, 0);
}

void TestMenu::exitWrites_data()
{
    QTest::addColumn<int>("psave");
    QTest::addColumn<int>("rd");
    QTest::addColumn<QString>("guagen");

    QTest::newRow("schedule kept, sequence: position written") << 1 << 1 << "10555";
    QTest::newRow("schedule kept, at random: not written") << 1 << 0 << "11000";
    QTest::newRow("schedule not kept, sequence: not written") << 0 << 1 << "11000";
    QTest::newRow("neither: not written") << 0 << 0 << "11000";
}

void TestMenu::exitWrites()
{
    QFETCH(int, psave);
    QFETCH(int, rd);
    QFETCH(QString, guagen);

    Harness h; // the first run has stored "guagen" 11000
    h.state.gintSaveSchedule = qint16(psave);
    h.state.gintPlayMode = qint16(rd);
    h.state.gintNextSentence = 10555;
    h.state.gintReadAloud = 2;
    h.form1->setLeftTwips(4320); // never dragged in this run
    h.state.gintTopic = 6;       // not Exit's to store

    h.menu().mnu_exit->trigger();

    QCOMPARE(h.exits, 1);
    QCOMPARE(h.onDisk(QStringLiteral("voice")), QStringLiteral("2"));
    QCOMPARE(h.onDisk(QStringLiteral("left")), QStringLiteral("4320"));
    QCOMPARE(h.onDisk(QStringLiteral("guagen")), guagen);
    QCOMPARE(h.onDisk(QStringLiteral("guage")), QStringLiteral("1"));
    // The character is left as it is; the program simply ends.
    QVERIFY(h.log.isEmpty());
}

void TestMenu::settingsCommand()
{
    Harness h;
    h.state.gintTopic = 4;
    h.form1->Timer5->start();
    ShowWatcher watcher(h);
    qApp->installEventFilter(&watcher);

    h.menu().mnu_sysset->trigger();
    qApp->removeEventFilter(&watcher);

    QPointer<Form3> dialog = h.menu().settingsDialog();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->isModal());
    QCOMPARE(watcher.shows, 1);
    QVERIFY(!watcher.pictureEnabledAtShow);
    QVERIFY(!watcher.timerActiveAtShow);
    QVERIFY(dialog->Option1[4]->isChecked());
    // 15360 / 2 - 4000 = 3680 twips across, 11520 / 2 - 3000 = 2760 down.
    QCOMPARE(dialog->pos(), QPoint(245, 184));

    dialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(dialog.isNull());
    QVERIFY(h.image1()->isEnabled());
    QVERIFY(h.form1->Timer5->isActive());
}

void TestMenu::settingsDialogIsFreshEachTime()
{
    Harness h;
    h.state.gintRepeats = 3;
    h.menu().mnu_sysset_Click();
    QPointer<Form3> first = h.menu().settingsDialog();
    first->VScroll1->setValue(9);
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());

    h.state.gintRepeats = 6;
    h.menu().mnu_sysset_Click();
    QPointer<Form3> second = h.menu().settingsDialog();
    QVERIFY(second);
    QCOMPARE(second->VScroll1->value(), 6);
    second->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestMenu::aboutCommand()
{
    Harness h;
    h.menu().mnu_veri->trigger();
    QPointer<Form7> about = h.menu().aboutWindow();
    QVERIFY(about);
    QVERIFY(about->isVisible());
    QVERIFY(!h.image1()->isEnabled());

    // Chosen again while it is up (it cannot be, but) it stays one window.
    h.menu().mnu_veri_Click();
    QCOMPARE(h.menu().aboutWindow(), about.data());

    about->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(h.image1()->isEnabled());
}

void TestMenu::nothingOpensWhileAboutIsOpen()
{
    Harness h;
    h.form1->setLeftTwips(0);
    MenuWatcher watcher(h.menu().mnu_file);
    h.menu().mnu_veri_Click();
    QVERIFY(!h.image1()->isEnabled());

    moveMouseOver(h.image1());
    h.form1->Image1_MouseMove();
    h.menu().popup(h.form1->mapToGlobal(QPoint(474, 23)));
    QVERIFY(watcher.shown.isEmpty());

    h.menu().aboutWindow()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    moveMouseOver(h.image1());
    QCOMPARE(watcher.shown.size(), 1);
}

QTEST_MAIN(TestMenu)
#include "tst_menu.moc"
