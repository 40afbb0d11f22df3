#pragma once

#include <QObject>
#include <QSystemTrayIcon>
#include <memory>

class QAction;
class QActionGroup;
class QMenu;

// The tutor's icon in the panel's system tray: a click pauses or plays on,
// its menu holds the learner's controls, and its tooltip shows the pair on
// show. It only says what was chosen; main connects it.
class TrayIcon : public QObject {
    Q_OBJECT

public:
    // `speed` is the stored reading pace, checked in the menu when it is one
    // of the offered ones.
    explicit TrayIcon(int speed, QObject* parent = nullptr);
    ~TrayIcon() override;

    // Whether an icon can show: a tray runs now, or on X11, where a tray
    // that starts later takes the icon in.
    static bool mayAppear();

    void show();

    void setPaused(bool paused);
    void setSpeed(int wordsPerMinute);
    void setReadAloud(bool on);
    void showPair(const QString& italian, const QString& english);

    QMenu* menu() const { return m_menu.get(); }
    QString toolTip() const { return m_icon.toolTip(); }
    QIcon icon() const { return m_icon.icon(); }
    // The tray click, as the panel would deliver it.
    void click();

Q_SIGNALS:
    void pauseToggled();
    void repeatRequested();
    void nextRequested();
    void speedChosen(int wordsPerMinute);
    void readAloudToggled(bool on);
    void settingsRequested();
    void exitRequested();

private:
    QAction* addItem(const QString& caption, const char* name);
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    void updateToolTip();

    const std::unique_ptr<QMenu> m_menu;
    const QIcon m_playingIcon;
    const QIcon m_pausedIcon;
    QSystemTrayIcon m_icon;
    QString m_pair;
    bool m_paused = false;
    QAction* m_pause = nullptr;
    QAction* m_readAloud = nullptr;
    QActionGroup* m_speeds = nullptr;
};
