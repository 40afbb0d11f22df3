#include "ui/StripMenu.h"

#include "platform/Desktop.h"
#include "platform/KeepInside.h"
#include "platform/ProductInfo.h"
#include "platform/Twips.h"
#include "ui/AboutWindow.h"
#include "ui/SettingsDialog.h"

#include <QAction>
#include <QDesktopServices>
#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QUrl>

namespace {

// The read-aloud item names what choosing it will do.
const QString kReadAloudOnFirst = QStringLiteral("&Non Read aloud");
const QString kReadAloudOn = QStringLiteral("Non r&ead aloud");
const QString kReadAloudOff = QStringLiteral("R&ead aloud");

// While the menu is up, how often it looks whether the pointer has left it,
// and how far above it the picture that opened it may be.
constexpr int kCloseAfterLeavingMs = 800;
constexpr int kPictureZone = 40;

// The Settings dialog opens this far up and left of the screen's centre.
constexpr float kSettingsAboveCentre = 3000.0F;
constexpr float kSettingsLeftOfCentre = 4000.0F;

} // namespace

StripMenu::StripMenu(PlaybackState& state, SettingsStore& store, const Desktop& desktop,
                     QObject* parent)
    : QObject(parent), m_state(state), m_store(store), m_desktop(desktop),
      m_menu(std::make_unique<QMenu>(QStringLiteral("file")))
{
    setObjectName(QStringLiteral("Form2"));
    m_menu->setObjectName(QStringLiteral("mnu_file"));
    // The popup's own window carries the menu's caption, so tools can find it.
    m_menu->setWindowTitle(m_menu->title());
    addItem(QStringLiteral("&Settings..."), "mnu_sysset", &StripMenu::openSettings);
    m_readAloud = addItem(kReadAloudOnFirst, "mnu_hlp", &StripMenu::toggleReadAloud);
    addItem(QStringLiteral("&About..."), "mnu_veri", &StripMenu::openAbout);
    addSeparator("f1");
    addItem(QStringLiteral("&Website"), "mnu_page", &StripMenu::openWebsite);
    addItem(QStringLiteral("E_&mail"), "mnu_email", &StripMenu::openEmail);
    addSeparator("f2");
    addItem(QStringLiteral("Exit"), "mnu_exit", nullptr);
    // Not a popup: a popup grabs the keyboard, and the menu opens on a mere
    // hover while the person may be typing in another program. It never
    // takes the keyboard by itself; a click into it gives it the keys.
    m_menu->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint);
    m_menu->setAttribute(Qt::WA_ShowWithoutActivating);
    m_menu->installEventFilter(this);
    m_closeTimer.setInterval(kCloseAfterLeavingMs);
    connect(&m_closeTimer, &QTimer::timeout, this, &StripMenu::closeIfLeft);
    // A menu that is no popup stays up after its command unless told.
    connect(m_menu.get(), &QMenu::triggered, m_menu.get(), &QMenu::hide);
    connect(m_menu->findChild<QAction*>(QStringLiteral("mnu_exit")), &QAction::triggered, this,
            &StripMenu::exitRequested);
}

// The dialogs go with the menu; an open Settings dialog is dropped without
// applying it, as when the program ends.
StripMenu::~StripMenu()
{
    // The menu outlives the close timer; its last Hide must not reach it.
    m_menu->removeEventFilter(this);
    delete m_settings;
    delete m_about;
}

bool StripMenu::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_menu.get())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        // Clicked into: now its keys are the person's, access keys included.
        m_clickedInto = true;
        m_menu->activateWindow();
        break;
    case QEvent::MouseButtonRelease: {
        // A click beside the items keeps the menu up, for its keys.
        const QAction* action = m_menu->actionAt(static_cast<QMouseEvent*>(event)->pos());
        return !action || action->isSeparator();
    }
    case QEvent::Show:
        m_clickedInto = false;
        m_closeTimer.start();
        Q_EMIT menuShown(m_menu->geometry());
        break;
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
        // Keys meant for another program never run a command here.
        return !m_clickedInto;
    case QEvent::Hide:
        m_closeTimer.stop();
        Q_EMIT menuHidden();
        break;
    default:
        break;
    }
    return false;
}

// Gone once the pointer is off the menu and the picture above it, as no
// click elsewhere reaches a menu that grabs nothing.
void StripMenu::closeIfLeft()
{
    const QRect zone = m_menu->geometry().adjusted(0, -kPictureZone, 0, 0);
    if (!zone.contains(m_desktop.cursorPos()))
        m_menu->hide();
}

SettingsDialog* StripMenu::settingsDialog() const
{
    return m_settings;
}

AboutWindow* StripMenu::aboutWindow() const
{
    return m_about;
}

QAction* StripMenu::addItem(const QString& caption, const char* name, void (StripMenu::*command)())
{
    QAction* action = m_menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    if (command)
        connect(action, &QAction::triggered, this, command);
    return action;
}

void StripMenu::addSeparator(const char* name)
{
    m_menu->addSeparator()->setObjectName(QLatin1String(name));
}

QPoint StripMenu::menuTopLeft(const QPoint& globalTopRight, const QSize& menuSize,
                              const QRect& screen)
{
    const QRect wanted(QPoint(globalTopRight.x() - menuSize.width(), globalTopRight.y()), menuSize);
    return keepInside(wanted, screen).topLeft();
}

void StripMenu::popup(const QPoint& globalTopRight)
{
    m_menu->ensurePolished();
    m_menu->popup(menuTopLeft(globalTopRight, m_menu->sizeHint(), m_desktop.screenGeometry()));
    m_menu->raise();
}

void StripMenu::openSettings()
{
    // Only one dialog: the menu is shut while it is open, but be safe.
    if (m_settings) {
        m_settings->raise();
        m_settings->activateWindow();
        return;
    }
    const QRect screen = m_desktop.screenGeometry();
    const float top = static_cast<float>(m_desktop.screenHeightTwips()) / 2 - kSettingsAboveCentre;
    const float left = static_cast<float>(m_desktop.screenWidthTwips()) / 2 - kSettingsLeftOfCentre;

    m_settings = new SettingsDialog(m_state, m_store, m_desktop);
    connect(m_settings, &SettingsDialog::opened, this, &StripMenu::settingsOpened);
    connect(m_settings, &SettingsDialog::closed, this, &StripMenu::settingsClosed);
    connect(m_settings, &SettingsDialog::autostartFailed, this, &StripMenu::autostartFailed);
    // Kept below the strip, its title bar too, so the close box is in reach.
    const QRect wanted(screen.left() + Twips::toPixels(left, m_desktop.twipsPerPixelX()),
                       screen.top() + Twips::toPixels(top, m_desktop.twipsPerPixelY()),
                       m_settings->width(), m_settings->height() + m_settings->titleBarHeight());
    m_settings->move(keepInside(wanted, SettingsDialog::room(m_desktop)).topLeft());
    m_settings->load();
    m_settings->show();
}

void StripMenu::toggleReadAloud()
{
    const bool on = m_readAloud->text() == kReadAloudOff;
    m_readAloud->setText(on ? kReadAloudOn : kReadAloudOff);
    Q_EMIT readAloudToggled(on);
}

void StripMenu::setReadAloud(bool on)
{
    if (on != isReadAloud())
        m_readAloud->setText(on ? kReadAloudOn : kReadAloudOff);
}

bool StripMenu::isReadAloud() const
{
    return m_readAloud->text() != kReadAloudOff;
}

void StripMenu::openAbout()
{
    if (!m_about) {
        m_about = new AboutWindow(m_desktop);
        connect(m_about, &AboutWindow::opened, this, &StripMenu::aboutOpened);
        connect(m_about, &AboutWindow::closed, this, &StripMenu::aboutClosed);
    }
    if (!m_about->isVisible())
        m_about->load();
    m_about->show();
}

// With no browser or mail program the desktop just does nothing; that is
// not worth a message.
void StripMenu::openWebsite()
{
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(ProductInfo::kWebsite)));
}

void StripMenu::openEmail()
{
    QDesktopServices::openUrl(
        QUrl(QStringLiteral("mailto:") + QString::fromLatin1(ProductInfo::kEmailAddress)));
}
