#include "ui/StripMenu.h"

#include "platform/Desktop.h"
#include "platform/KeepInside.h"
#include "platform/ProductInfo.h"
#include "platform/Twips.h"
#include "ui/AboutWindow.h"
#include "ui/SettingsDialog.h"

#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QUrl>

namespace {

// The read-aloud item names what choosing it will do.
const QString kReadAloudOnFirst = QStringLiteral("&Non Read aloud");
const QString kReadAloudOn = QStringLiteral("Non r&ead aloud");
const QString kReadAloudOff = QStringLiteral("R&ead aloud");

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
    connect(m_menu->findChild<QAction*>(QStringLiteral("mnu_exit")), &QAction::triggered, this,
            &StripMenu::exitRequested);
}

// The dialogs go with the menu; an open Settings dialog is dropped without
// applying it, as when the program ends.
StripMenu::~StripMenu()
{
    delete m_settings;
    delete m_about;
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
    m_menu->exec(menuTopLeft(globalTopRight, m_menu->sizeHint(), m_desktop.screenGeometry()));
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
    m_settings->move(screen.left() + Twips::toPixels(left, m_desktop.twipsPerPixelX()),
                     screen.top() + Twips::toPixels(top, m_desktop.twipsPerPixelY()));
    m_settings->load();
    m_settings->show();
}

void StripMenu::toggleReadAloud()
{
    const bool on = m_readAloud->text() == kReadAloudOff;
    m_readAloud->setText(on ? kReadAloudOn : kReadAloudOff);
    Q_EMIT readAloudToggled(on);
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
