#pragma once

#include "playback/DisplayCycle.h"
#include "playback/PlayClock.h"
#include "settings/PlaybackState.h"

#include <QColor>
#include <QRect>
#include <QWidget>
#include <functional>

class AgentControl;
class Character;
class Desktop;
class DragHandles;
class PairSource;
class QFrame;
class QLabel;
class QTimer;
class ScreenLayoutWatch;
class SettingsStore;
class StripPicture;
namespace Twips {
struct Rect;
}

// The caption strip along the top edge of the screen. It owns the character,
// the pair on show, the placement of the strip and the five timers, and says
// what happened through its signals; it knows no other window.
class CaptionStrip : public QWidget {
    Q_OBJECT

public:
    // Whether an open dialog holds the display cycle or lets it play on.
    enum class Playback { Hold, Continue };

    CaptionStrip(PlaybackState& state, PairSource& pairs, SettingsStore& store, AgentControl& agent,
                 Desktop& desktop, QWidget* parent = nullptr);
    ~CaptionStrip() override;

    // Start-up: character, settings, placement, start-up window, timers,
    // first pair, topmost, rectangle. The single-copy check has run before.
    void start();

    // Pins the strip to the top edge at full height and captures its rectangle.
    void pinToTop();
    // Chooses and loads the next pair into the Italian and English texts.
    void loadSentencePair();

    // Timer handlers; the QTimers only call these.
    void pointerTick();  // welcome countdown, pointer sample, auto-hide
    void blinkTick();    // blink of the collapsed strip
    void slideTick();    // English slide-up
    void scrollTick();   // Italian scroll-in
    void advanceCycle(); // one tick of the display cycle
    // The cycle timer: the ticks it slept through, then sleep again.
    void wakeCycle();

    // Mouse handlers shared by the four labels (any button drags).
    void beginDrag();
    void followPointer();
    void endDrag();
    // Pointer over the menu picture: asks for the popup menu.
    void requestMenu();
    // A monitor or a panel came or went: the strip settles on its monitor's
    // top edge again, or on the primary monitor when its own has gone.
    void followScreens();

    // A dialog opened or closed. While one is open the menu picture is locked;
    // a dialog that holds playback also pauses the display cycle, and its
    // closing starts the cycle once the welcome has run out.
    void setDialogOpen(bool open, Playback playback = Playback::Hold);
    bool isDialogOpen() const { return m_dialogOpen; }
    // The learner's hold: the cycle stops where it is, speech stops, the
    // line stays, and the menu picture shows the pause.
    void setPaused(bool paused);
    bool isPaused() const { return m_paused; }
    // The pair on show again from its first line, not counted as one of its
    // repetitions; or the next pair at once.
    void repeatPair();
    void nextPair();

    // The start-up window was clicked away: show the strip at once and let
    // the welcome go on from where the strip would have appeared anyway.
    void skipStartupWindow();
    // Reading aloud off and on: the character is hidden or shown.
    void setCharacterShown(bool shown);
    // A full-screen window covers the strip's monitor: the strip and the
    // character go out of sight, and come back as they were, reading aloud
    // left as the learner chose it.
    void setOutOfSight(bool out);
    bool isOutOfSight() const { return m_outOfSight; }
    // Brings the strip and the character to the front (a second start asks).
    void activate();
    // Where the strip's menu is open (empty once it has gone): the word
    // balloon keeps clear of it.
    void setMenuArea(const QRect& screenArea);
    // Exit: stores what Exit keeps and makes sure it is on the disk, since
    // the program ends right after.
    void saveExitSettings();

    // The strip's left edge in twips (the "left" setting).
    double leftTwips() const { return m_leftTwips; }
    void setLeftTwips(double twips);
    // The window rectangle captured on start-up and after a drag, in pixels.
    QRect windowRect() const { return m_windowRect; }
    // Full height (340 twips) or collapsed (20 twips).
    bool isFullHeight() const { return m_fullHeight; }
    bool isDragging() const { return m_dragging; }
    // Top of the English line in twips: 400 parked, 60 in view.
    int englishLineTopTwips() const { return m_englishTop; }
    // The colour drawn over the collapsed strip; invalid when clear.
    QColor stripMarkColor() const { return m_markColor; }
    const QString& italian() const { return m_italian; }
    const QString& english() const { return m_english; }
    const DisplayCycle& cycle() const { return m_cycle; }
    qint16 countdown() const { return m_countdown; }
    int scrollStep() const { return m_scrollStep; }
    bool hasCharacter() const { return m_character != nullptr; }

    // The missing-string message; tests replace it to answer it. An empty
    // handler brings back the message box.
    using MessageHandler = std::function<void(const QString& text)>;
    void setMessageHandler(MessageHandler handler);
    // The monotonic milliseconds the cycle and the blink keep time by; tests
    // give their own. Set before start().
    using Clock = std::function<qint64()>;
    void setClock(Clock clock);

    static constexpr char kCharacterId[] = "Peedy";

Q_SIGNALS:
    // Start-up has come to the point where the start-up window shows.
    void startupWindowDue();
    // The welcome has brought the strip up; the start-up window goes.
    void startupWindowOver();
    // The pointer crossed the menu picture: the menu opens with its top-right
    // corner at this point of the screen.
    void menuRequested(const QPoint& globalTopRight);
    // A new pair is on the strip.
    void pairShown(const QString& italian, const QString& english);

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildLayout();
    void placeTwips(QWidget* widget, const Twips::Rect& place);
    int pixelsX(double twips) const;
    int pixelsY(double twips) const;

    void loadCharacter();
    // Tells the character where the strip is, so its balloon stays off it.
    void keepBalloonOff();
    void fitLine(QLabel* line, const QString& text);
    void settleOn(const QPoint& hint);
    QPoint startupHint() const;
    void followWindowManager();
    void makeTopmost();
    void placeCharacter();

    void applyAutoHide(qint16 countdown);
    void countdownActions(qint16 countdown);
    void carryOut(DisplayCycle::Steps steps);
    void showFirstLineNow();
    void updateCycleTimer();
    void sleepUntilNextStep();
    void catchUpSleep();
    void updatePointerTimer();
    void armBlink(qint64 beat);
    void showFullHeight();
    void clearItalianLine();
    void parkEnglishLine();
    void speakAndWave();

    void setFullHeight(bool full);
    void setEnglishTop(int twips);
    int stepsUntilEnglishMoves() const;
    void drawStripMark(const QColor& color);
    void clearStripMark();

    PlaybackState& m_state;
    PairSource& m_pairs;
    SettingsStore& m_store;
    AgentControl& m_agent;
    Desktop& m_desktop;

    // Controls; each carries its layout name as objectName.
    QFrame* const m_outline;           // Shape1
    QLabel* const m_hairline;          // Label3
    QLabel* const m_italianLine;       // Label1
    QLabel* const m_englishLine;       // Label2
    QLabel* const m_pictureBack;       // Label4
    StripPicture* const m_menuPicture; // Image1
    QTimer* const m_pointerTimer;      // Timer1
    QTimer* const m_blinkTimer;        // Timer2
    QTimer* const m_slideTimer;        // Timer3
    QTimer* const m_scrollTimer;       // Timer4
    QTimer* const m_cycleTimer;        // Timer5
    DragHandles* const m_dragHandles;
    // Drawn above every control, like graphics on the form's surface.
    QWidget* const m_stripMark;
    ScreenLayoutWatch* m_screenWatch = nullptr; // from start() on

    DisplayCycle m_cycle;
    PlayClock m_playClock;
    MessageHandler m_messageHandler;
    Clock m_clock;
    // The character; null when it could not be loaded (calls are then skipped).
    Character* m_character = nullptr;
    QString m_italian;
    QString m_spoken; // m_italian as the voice is given it
    QString m_english;
    QRect m_windowRect;
    QRect m_menuArea;
    QPoint m_cursor;
    QPoint m_dragOffset;
    QColor m_markColor;
    double m_leftTwips = 0.0;
    int m_top = 0;       // the top of the free area of the strip's monitor
    int m_screenTop = 0; // the top of that monitor, panels and all
    int m_englishTop = 0;
    int m_scrollStep = 0;
    qint16 m_countdown = 0;
    qint64 m_startMs = 0;   // start-up, where Timer2's beats are counted from
    qint64 m_blinkBeat = 0; // the beat the armed blink timer stands for
    bool m_fullHeight = true;
    bool m_dragging = false;
    bool m_askedAgain = false; // the window manager moved the strip once
    bool m_dialogOpen = false;
    bool m_playing = false; // the welcome, or Settings, has started the cycle
    bool m_held = false;    // Settings is open
    bool m_paused = false;
    bool m_outOfSight = false;
    bool m_characterShown = true; // reading aloud, as the learner left it
    int m_sleepTicks = 0;         // the ticks the armed cycle timer stands for
    bool m_messageOpen = false;
};
