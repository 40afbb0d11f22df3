#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>

class AboutWindow;
class Desktop;
class QAction;
class QMenu;
class SettingsDialog;
class SettingsStore;
struct PlaybackState;

// The strip's popup menu and its commands. It opens the Settings dialog and
// the About window, and says through its signals what they and the commands
// did; it knows nothing of the strip.
class StripMenu : public QObject {
    Q_OBJECT

public:
    StripMenu(PlaybackState& state, SettingsStore& store, const Desktop& desktop,
              QObject* parent = nullptr);
    ~StripMenu() override;

    // Opens the menu with its top-right corner at `globalTopRight`, kept on
    // the screen.
    void popup(const QPoint& globalTopRight);
    // Where a menu of `menuSize` opens so that its top-right corner is at
    // `globalTopRight`, kept inside `screen`.
    static QPoint menuTopLeft(const QPoint& globalTopRight, const QSize& menuSize,
                              const QRect& screen);

    void openSettings();    // mnu_sysset
    void toggleReadAloud(); // mnu_hlp
    void openAbout();       // mnu_veri
    void openWebsite();     // mnu_page
    void openEmail();       // mnu_email
    // Reading aloud was switched elsewhere (the tray): the item's caption
    // follows, without a signal back.
    void setReadAloud(bool on);
    bool isReadAloud() const;

    QMenu* menu() const { return m_menu.get(); }
    SettingsDialog* settingsDialog() const;
    AboutWindow* aboutWindow() const;

protected:
    // Gives the menu the keys once it is clicked into, and closes it when
    // the pointer has left it.
    bool eventFilter(QObject* watched, QEvent* event) override;

Q_SIGNALS:
    void settingsOpened();
    void settingsClosed();
    void aboutOpened();
    void aboutClosed();
    // Reading aloud was switched: the character shows (true) or hides.
    void readAloudToggled(bool on);
    // Exit: save what Exit saves and end.
    void exitRequested();
    // The Settings dialog could not write the start-at-log-on entry.
    void autostartFailed(const QString& message);
    // The menu is up over `screenArea`, or has gone: nothing may cover it.
    void menuShown(const QRect& screenArea);
    void menuHidden();

private:
    QAction* addItem(const QString& caption, const char* name, void (StripMenu::*command)());
    void addSeparator(const char* name);
    void closeIfLeft();

    PlaybackState& m_state;
    SettingsStore& m_store;
    const Desktop& m_desktop;
    const std::unique_ptr<QMenu> m_menu; // mnu_file
    QAction* m_readAloud = nullptr;      // mnu_hlp
    QPointer<SettingsDialog> m_settings;
    QPointer<AboutWindow> m_about;
    QTimer m_closeTimer{this}; // a child, so that tests find it
    bool m_clickedInto = false;
};
