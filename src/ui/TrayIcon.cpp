#include "ui/TrayIcon.h"

#include "platform/ProductInfo.h"
#include "settings/SettingKeys.h"

#include <QAction>
#include <QActionGroup>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <array>

namespace {

const QString kPause = QStringLiteral("&Pause");
const QString kResume = QStringLiteral("Res&ume");
const QString kPausedNote = QStringLiteral("Paused: click to play on");

// The sizes panels ask a tray icon for.
constexpr std::array<int, 6> kIconSizes{16, 22, 24, 32, 48, 64};
// The pause mark: a dark disc in the lower right corner with two bars.
constexpr qreal kMarkShare = 0.55; // of the icon's side
constexpr qreal kBarWidth = 0.16;  // of the mark's side
constexpr qreal kBarHeight = 0.5;  // of the mark's side
constexpr qreal kBarGap = 0.14;    // of the mark's side

// The program's icon greyed, with a pause mark: a paused tutor reads as
// such in the panel at a glance.
QIcon pausedIcon(const QIcon& playing)
{
    QIcon icon;
    for (const int side : kIconSizes) {
        QPixmap pixmap = playing.pixmap(QSize(side, side), QIcon::Disabled);
        if (pixmap.isNull())
            continue;
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal mark = side * kMarkShare;
        const QRectF disc(side - mark, side - mark, mark, mark);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(Qt::black));
        painter.drawEllipse(disc);
        painter.setBrush(QColor(Qt::white));
        const QSizeF bar(mark * kBarWidth, mark * kBarHeight);
        const QPointF centre = disc.center();
        painter.drawRect(QRectF(
            QPointF(centre.x() - mark * kBarGap / 2 - bar.width(), centre.y() - bar.height() / 2),
            bar));
        painter.drawRect(
            QRectF(QPointF(centre.x() + mark * kBarGap / 2, centre.y() - bar.height() / 2), bar));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

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
      m_playingIcon(QString::fromLatin1(ProductInfo::kIconPath)),
      m_pausedIcon(pausedIcon(m_playingIcon)), m_icon(m_playingIcon)
{
    setObjectName(QStringLiteral("Tray"));
    m_menu->setObjectName(QStringLiteral("tray_menu"));
    // Its popup window carries the caption, so tools can find it.
    m_menu->setWindowTitle(QStringLiteral("tray"));
    updateToolTip();

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

bool TrayIcon::mayAppear()
{
    return QGuiApplication::platformName() == QLatin1String("xcb") ||
           QSystemTrayIcon::isSystemTrayAvailable();
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
    m_paused = paused;
    m_pause->setText(paused ? kResume : kPause);
    m_icon.setIcon(paused ? m_pausedIcon : m_playingIcon);
    updateToolTip();
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
    m_pair = italian + QLatin1Char('\n') + english;
    updateToolTip();
}

void TrayIcon::updateToolTip()
{
    const QString pair = m_pair.isEmpty() ? QString::fromLatin1(ProductInfo::kTitle) : m_pair;
    m_icon.setToolTip(m_paused ? kPausedNote + QLatin1Char('\n') + pair : pair);
}
