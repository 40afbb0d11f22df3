#pragma once

#include <QDialog>
#include <array>

class Desktop;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QScrollBar;
class RowCaption;
class SettingsStore;
struct PlaybackState;

// "Setting...": the one place where the learner chooses what plays and how.
// The check boxes take effect as they are clicked; the rest is applied when
// the window closes, however it closes.
class SettingsDialog : public QDialog {
    Q_OBJECT

public:
    SettingsDialog(PlaybackState& state, SettingsStore& store, const Desktop& desktop,
                   QWidget* parent = nullptr);
    ~SettingsDialog() override;

    // Fills the controls from the playback state and says the dialog is open.
    void load();

    // Where the dialog, title bar and all, is to fit: the strip's monitor
    // below the strip.
    static QRect room(const Desktop& desktop);
    // The height a title bar is reckoned at before the window is framed.
    int titleBarHeight() const;

    // Closing by the close box, the window menu or Escape all end here, so
    // the closing steps cannot be skipped.
    void done(int result) override;

protected:
    void changeEvent(QEvent* event) override;

Q_SIGNALS:
    void opened();
    // The choices are applied (and stored, under "Save setting while exit").
    void closed();
    // The start-at-log-on entry could not be written or removed.
    void autostartFailed(const QString& message);

private:
    void buildControls();
    void applyTabOrder();
    // Applies the choices and stores them; runs once, when the window closes.
    void apply();
    void syncCheckBoxes();
    void syncNumbers();
    void updateScheduleBox();

    PlaybackState& m_state;
    SettingsStore& m_store;
    const Desktop& m_desktop;

    // Controls; each carries its layout name as objectName.
    QGroupBox* const m_contentFrame;          // Frame1
    QGroupBox* const m_modeFrame;             // Frame2
    QGroupBox* const m_orderFrame;            // Frame3
    RowCaption* const m_repeatsCaption;       // Label1
    RowCaption* const m_italianCaption;       // Label2
    RowCaption* const m_englishCaption;       // Label3
    QScrollBar* const m_repeatsBar;           // VScroll1
    QScrollBar* const m_italianBar;           // VScroll2
    QScrollBar* const m_englishBar;           // VScroll3
    QCheckBox* const m_saveSettings;          // Check1
    QCheckBox* const m_saveSchedule;          // Check3
    QCheckBox* const m_autoHide;              // Check4
    QCheckBox* const m_startAtLogon;          // Check5
    std::array<QRadioButton*, 11> m_topics{}; // Option1_0..10
    std::array<QRadioButton*, 2> m_modes{};   // Option2_0 at random, Option2_1 sequence
    std::array<QRadioButton*, 2> m_orders{};  // Option3_0 Italian first, Option3_1 English
    std::array<QLineEdit*, 3> m_numbers{};    // Text1_0..2
    bool m_applied = false;
};
