#include "FakeDesktop.h"
#include "RecordingCharacter.h"
#include "TestEnvironment.h"
#include "agent/AgentControl.h"
#include "app/Form1.h"
#include "content/Corpus.h"
#include "settings/SettingsStore.h"
#include "ui/Form2.h"
#include "ui/Form3.h"
#include "ui/Form7.h"

#include <QDesktopServices>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

namespace {

struct Harness { // a strip after its first run
    Form2& menu() { return form1.menuHolder(); }

    TestEnvironment env;
    PlaybackState state;
    Corpus corpus;
    SettingsStore store;
    double left = store.Load_Settings(state, 1024 * 15.0);
    QStringList log;
    RecordingCharacter character{&log};
    AgentControl agent;
    FakeDesktop desktop;
    Form1 form1{state, corpus, store, agent, desktop};
};

} // namespace

class TestMenu : public QObject {
    Q_OBJECT

public Q_SLOTS:
    void open(const QUrl& url) { opened.append(url.toString()); } // the browser, the mail program

private Q_SLOTS:
    void itemsAndWhatTheyDo()
    {
        Harness h;
        QStringList items;
        for (const QAction* action : h.menu().mnu_file->actions())
            items << (action->isSeparator() ? "-" : action->text());
        QCOMPARE(items.join(','),
                 "&Settings...,&Non Read aloud,&About...,-,&Website,E_&mail,-,Exit");

        for (const char* scheme : {"http", "mailto"})
            QDesktopServices::setUrlHandler(scheme, this, "open");
        h.menu().mnu_page->trigger();
        h.menu().mnu_email->trigger();
        for (const char* scheme : {"http", "mailto"})
            QDesktopServices::unsetUrlHandler(scheme);
        QCOMPARE(opened.join(' '),
                 "http://quorvel.example.org/ mailto:support@quorvel.example.org");

        h.form1.mobjAgent = &h.character;
        for (const char* caption : {"R&ead aloud", "Non r&ead aloud", "R&ead aloud"}) {
            h.menu().mnu_hlp->trigger();
            QCOMPARE(h.menu().mnu_hlp->text(), caption);
        }
        QCOMPARE(h.log, QStringList({"Hide", "Show", "Hide"}));
        QCOMPARE(h.state.gintReadAloud, qint16(1)); // whether it speaks: not this item's business
    }

    void opensBelowTheStripEndUnlessAboutIsOpen()
    {
        Harness h;
        h.form1.mlngFullHeight = 340; // as start-up leaves it
        QMenu* menu = h.menu().mnu_file;
        QSignalSpy shown(menu, &QMenu::aboutToShow); // each opening closes again at once
        connect(menu, &QMenu::aboutToShow, menu, &QMenu::close, Qt::QueuedConnection);
        QMouseEvent move(QEvent::MouseMove, QPointF(4, 4), QPointF(4, 4), {}, Qt::LeftButton, {});
        QWidget* picture = h.form1.findChild<QWidget*>("Image1"); // no click, even a button held
        QCoreApplication::sendEvent(picture, &move); // at (7110, 350) twips of the strip
        QCOMPARE(menu->geometry().topRight() + QPoint(1, 0), h.form1.mapToGlobal(QPoint(474, 23)));

        h.menu().mnu_veri->trigger();
        QCoreApplication::sendEvent(picture, &move);
        QCOMPARE(shown.size(), 1);
        h.menu().aboutWindow()->close();
        QCoreApplication::sendEvent(picture, &move);
        QCOMPARE(shown.size(), 2);
    }

    void exit_data()
    {
        QTest::addColumn<int>("psave");
        QTest::addColumn<int>("rd");
        QTest::addColumn<QByteArray>("guagen");
        QTest::newRow("sequence, schedule kept") << 1 << 1 << QByteArray("10555");
        QTest::newRow("at random") << 1 << 0 << QByteArray("11000");
        QTest::newRow("schedule not kept") << 0 << 1 << QByteArray("11000");
    }

    void exit()
    {
        QFETCH(int, psave);
        QFETCH(int, rd);
        QFETCH(QByteArray, guagen);
        Harness h;
        h.state.gintSaveSchedule = qint16(psave);
        h.state.gintPlayMode = qint16(rd);
        h.state.gintNextSentence = 10555;
        h.state.gintReadAloud = 2;
        h.form1.setLeftTwips(4320); // never dragged in this run
        QFile f(h.env.settingsFile());
        QByteArray disk; // the file as the program ends
        h.menu().setExitHandler([&] { disk = f.open(QFile::ReadOnly) ? f.readAll() : ""; });
        h.menu().mnu_exit->trigger();
        QVERIFY(disk.contains("\nvoice=2\n") && disk.contains("\nleft=4320\n"));
        QVERIFY(disk.contains("\nguagen=" + guagen + '\n'));
    }

private:
    QStringList opened;
};

QTEST_MAIN(TestMenu)
#include "tst_menu.moc"
