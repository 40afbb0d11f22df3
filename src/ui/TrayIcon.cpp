#include "ui/TrayIcon.h"

#include "platform/ProductInfo.h"
#include "settings/SettingKeys.h"

#include <QAction>
#include <QActionGroup>
#include <QIcon>
#include <QMenu>
#include <array>

namespace {

const QString kPause = QStringLiteral("&Pause");
const QString kResume = QStringLiteral("Res&ume");

struct Speed {
    const char* caption;
    const char* name;
    qint16 wordsPerMinute;
};

constexpr std::array<Speed, 3> kSpeeds{{
    {"&Slower", "tray_slower", SettingKeys::kSlowerSpeed},
    {"&Normal", "tray_normal", SettingKeys::find("sspeed").firstRun},
    {"&Faster", "tray_faster", SettingKeys::kFasterSpeed},
}};

} // namespace

TrayIcon::TrayIcon(int speed, QObject* parent)
    : QObject(parent), m_menu(std::make_unique<QMenu>()),
      m_icon(QIcon(QString::fromLatin1(ProductInfo::kIconPath)))
{
    setObjectName(QStringLiteral("Tray"));
    m_menu->setObjectName(QStringLiteral("tray_menu"));
    // Its popup window carries the caption, so tools can find it.
    m_menu->setWindowTitle(QStringLiteral("tray"));
    m_icon.setToolTip(QString::fromLatin1(ProductInfo::kTitle));

    m_pause = addItem(kPause, "tray_pause");
    connect(m_pause, &QAction::triggered, this, &TrayIcon::pauseToggled);
    connect(addItem(QStringLiteral("&Repeat"), "tray_repeat"), &QAction::triggered, this,
            &TrayIcon::repeatRequested);
    connect(addItem(QStringLiteral("&Next"), "tray_next"), &QAction::triggered, this,
            &TrayIcon::nextRequested);

    QMenu* speeds = m_menu->addMenu(QStringLiteral("Speech &speed"));
    speeds->setObjectName(QStringLiteral("tray_speed"));
    m_speeds = new QActionGroup(this);
    for (const Speed& choice : kSpeeds) {
        QAction* action = speeds->addAction(QString::fromLatin1(choice.caption));
        action->setObjectName(QLatin1String(choice.name));
        action->setCheckable(true);
        action->setData(int(choice.wordsPerMinute));
        m_speeds->addAction(action);
        connect(action, &QAction::triggered, this,
                [this, wpm = choice.wordsPerMinute] { Q_EMIT speedChosen(wpm); });
    }
    setSpeed(speed);

    m_readAloud = addItem(QStringLiteral("Read &aloud"), "tray_read_aloud");
    m_readAloud->setCheckable(true);
    m_readAloud->setChecked(true);
    connect(m_readAloud, &QAction::triggered, this, &TrayIcon::readAloudToggled);
    m_menu->addSeparator();
    connect(addItem(QStringLiteral("S&ettings..."), "tray_settings"), &QAction::triggered, this,
            &TrayIcon::settingsRequested);
    connect(addItem(QStringLiteral("E&xit"), "tray_exit"), &QAction::triggered, this,
            &TrayIcon::exitRequested);

    m_icon.setContextMenu(m_menu.get());
    connect(&m_icon, &QSystemTrayIcon::activated, this, &TrayIcon::onActivated);
}

TrayIcon::~TrayIcon() = default;

bool TrayIcon::isAvailable()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::show()
{
    m_icon.show();
}

QAction* TrayIcon::addItem(const QString& caption, const char* name)
{
    QAction* action = m_menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

void TrayIcon::click()
{
    onActivated(QSystemTrayIcon::Trigger);
}

void TrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger)
        Q_EMIT pauseToggled();
}

void TrayIcon::setPaused(bool paused)
{
    m_pause->setText(paused ? kResume : kPause);
}

// A pace none of the items offers (set by hand in the file) checks none.
void TrayIcon::setSpeed(int wordsPerMinute)
{
    for (QAction* action : m_speeds->actions())
        action->setChecked(action->data().toInt() == wordsPerMinute);
}

void TrayIcon::setReadAloud(bool on)
{
    m_readAloud->setChecked(on);
}

void TrayIcon::showPair(const QString& italian, const QString& english)
{
    m_icon.setToolTip(italian + QLatin1Char('\n') + english);
}
