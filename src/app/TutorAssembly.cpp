#include "app/TutorAssembly.h"

#include "platform/CommandLine.h"
#include "platform/Desktop.h"
#include "platform/FullScreenWatch.h"
#include "platform/ScreenSaverWatch.h"
#include "platform/SingleInstance.h"
#include "settings/Autostart.h"
#include "ui/StartupSplash.h"
#include "ui/TrayIcon.h"

TutorAssembly::TutorAssembly(Seams seams)
    : m_seams(std::move(seams)),
      m_corpus(m_seams.dialogues ? Corpus(*m_seams.dialogues) : Corpus()),
      m_pairs(m_seams.seed ? PairSource(m_corpus, *m_seams.seed) : PairSource(m_corpus)),
      m_problems([this](const QString& text) { m_problemBoxes.show(text); }),
      m_agent(m_seams.characters ? m_seams.characters : &AgentControl::builtIn),
      m_strip(m_state, m_pairs, m_store, m_agent, m_seams.desktop),
      m_menu(m_state, m_store, m_seams.desktop), m_controls(m_strip, m_state, m_store)
{
    m_store.setProblemReport(&m_problems);
    connectWindows();
    QObject::connect(&m_menu, &StripMenu::autostartFailed, &m_menu, [this](const QString& text) {
        m_problems.report(Autostart::location(), text);
    });
    if (SingleInstance* instance = m_seams.instance) {
        QObject::connect(instance, &SingleInstance::activateRequested, &m_strip,
                         &CaptionStrip::activate);
        QObject::connect(instance, &SingleInstance::commandReceived, &m_controls,
                         [this](const QByteArray& word) { perform(word); });
    }
}

TutorAssembly::~TutorAssembly()
{
    delete m_splash;
}

StartupSplash* TutorAssembly::splash() const
{
    return m_splash;
}

void TutorAssembly::start()
{
    m_strip.start();
    // On X11 the tray is made whether or not a tray runs yet: at log-on the
    // panel often starts after the tutor, and the icon appears once it does.
    if (m_seams.tray != Tray::None) {
        m_tray = std::make_unique<TrayIcon>(m_state.speed);
        m_tray->showPair(m_strip.italian(), m_strip.english());
        if (m_seams.tray == Tray::Shown)
            m_tray->show();
    }
    connectControls();
    if (m_seams.watchDesktop)
        watchDesktop();
}

void TutorAssembly::perform(const QByteArray& word)
{
    if (const auto command = CommandLine::commandFor(word))
        m_controls.perform(*command);
}

// The windows say what happened; here each news reaches whoever acts on it.
void TutorAssembly::connectWindows()
{
    using Playback = CaptionStrip::Playback;
    CaptionStrip* strip = &m_strip;
    QObject::connect(strip, &CaptionStrip::menuRequested, &m_menu, &StripMenu::popup);
    QObject::connect(&m_menu, &StripMenu::settingsOpened, strip,
                     [strip] { strip->setDialogOpen(true); });
    QObject::connect(&m_menu, &StripMenu::settingsClosed, strip,
                     [strip] { strip->setDialogOpen(false); });
    QObject::connect(&m_menu, &StripMenu::aboutOpened, strip,
                     [strip] { strip->setDialogOpen(true, Playback::Continue); });
    QObject::connect(&m_menu, &StripMenu::aboutClosed, strip,
                     [strip] { strip->setDialogOpen(false, Playback::Continue); });
    QObject::connect(&m_menu, &StripMenu::readAloudToggled, strip,
                     &CaptionStrip::setCharacterShown);
    QObject::connect(&m_menu, &StripMenu::menuShown, strip, &CaptionStrip::setMenuArea);
    QObject::connect(&m_menu, &StripMenu::menuHidden, strip, [strip] { strip->setMenuArea({}); });
    // A save that fails is told before the program ends; a second Exit
    // does not wait for the message.
    QObject::connect(&m_menu, &StripMenu::exitRequested, strip, [this] {
        const int shown = m_problemBoxes.shownCount();
        m_strip.saveExitSettings();
        m_problemBoxes.afterClosed(shown, m_seams.quit);
    });

    // The start-up window lives from the strip's start until the welcome
    // brings the strip up, or until it is clicked away.
    QObject::connect(strip, &CaptionStrip::startupWindowDue, strip, [this] {
        m_splash = new StartupSplash(m_seams.desktop);
        QObject::connect(m_splash, &StartupSplash::dismissed, &m_strip,
                         &CaptionStrip::skipStartupWindow);
        m_splash->open();
    });
    QObject::connect(strip, &CaptionStrip::startupWindowOver, strip, [this] {
        if (m_splash)
            m_splash->unload();
    });
}

// The learner's controls outside the strip's own menu: the tray icon (where
// there may be a tray) and a later start's command. Exit and Settings go the
// hover menu's way.
void TutorAssembly::connectControls()
{
    QObject::connect(&m_controls, &LearnerControls::exitRequested, &m_menu,
                     &StripMenu::exitRequested);
    TrayIcon* tray = m_tray.get();
    if (!tray)
        return;
    QObject::connect(tray, &TrayIcon::pauseToggled, &m_controls, &LearnerControls::togglePause);
    QObject::connect(tray, &TrayIcon::repeatRequested, &m_controls, &LearnerControls::repeat);
    QObject::connect(tray, &TrayIcon::nextRequested, &m_controls, &LearnerControls::next);
    QObject::connect(tray, &TrayIcon::speedChosen, &m_controls, &LearnerControls::setSpeechSpeed);
    QObject::connect(tray, &TrayIcon::settingsRequested, &m_menu, &StripMenu::openSettings);
    QObject::connect(tray, &TrayIcon::exitRequested, &m_menu, &StripMenu::exitRequested);
    QObject::connect(tray, &TrayIcon::readAloudToggled, &m_strip, &CaptionStrip::setCharacterShown);
    QObject::connect(tray, &TrayIcon::readAloudToggled, &m_menu, &StripMenu::setReadAloud);
    QObject::connect(&m_menu, &StripMenu::readAloudToggled, tray, &TrayIcon::setReadAloud);
    QObject::connect(&m_controls, &LearnerControls::learnerPauseChanged, tray,
                     &TrayIcon::setPaused);
    QObject::connect(&m_controls, &LearnerControls::speechSpeedChanged, tray, &TrayIcon::setSpeed);
    QObject::connect(&m_strip, &CaptionStrip::pairShown, tray, &TrayIcon::showPair);
}

// The screen saver and full-screen windows pause the strip while they last.
void TutorAssembly::watchDesktop()
{
    m_screenSaver = std::make_unique<ScreenSaverWatch>();
    QObject::connect(m_screenSaver.get(), &ScreenSaverWatch::activeChanged, &m_controls,
                     &LearnerControls::setScreenSaverActive);
    const Desktop& desktop = m_seams.desktop;
    m_fullScreen =
        std::make_unique<FullScreenWatch>([&desktop] { return desktop.screenGeometry(); });
    QObject::connect(m_fullScreen.get(), &FullScreenWatch::fullScreenChanged, &m_controls,
                     &LearnerControls::setFullScreen);
    // It may have found a full-screen window before anyone listened.
    m_controls.setFullScreen(m_fullScreen->isFullScreen());
}
