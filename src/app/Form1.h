#pragma once

#include "app/SentenceScheduler.h"
#include "settings/PlaybackState.h"

#include <QColor>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>
#include <memory>

class AgentControl;
class Character;
class Corpus;
class Desktop;
class DragHandles;
class Form2;
class Form4;
class QFrame;
class QLabel;
class QTimer;
class SettingsStore;
class StripPicture;
namespace Twips {
struct Rect;
}

// The caption strip along the top edge of the screen. It owns the character,
// the pair on show, the placement of the strip and the five timers.
class Form1 : public QWidget {
    Q_OBJECT

public:
    Form1(PlaybackState& state, const Corpus& corpus, SettingsStore& store, AgentControl& agent,
          Desktop& desktop, QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up: character, settings, placement, splash, timers, first pair,
    // topmost, rectangle. The single-copy check has run before.
    void Form_Load();

    // Pins the strip to the top edge at full height and captures its rectangle.
    void Get_Windows_Rect();
    // Chooses and loads the next pair into mstrItalian and mstrEnglish.
    void Load_Sentence_Pair();

    // Timer handlers; the QTimers only call these.
    void Timer1_Timer(); // welcome countdown, pointer sample, auto-hide
    void Timer2_Timer(); // blink of the collapsed strip
    void Timer3_Timer(); // English slide-up
    void Timer4_Timer(); // Italian scroll-in
    void Timer5_Timer(); // the display cycle

    // Mouse handlers shared by the four labels (any button drags).
    void Label_MouseDown();
    void Label_MouseMove();
    void Label_MouseUp();
    // Pointer over the menu picture: opens the popup menu.
    void Image1_MouseMove();

    // The strip's left edge in twips (the "left" setting).
    double leftTwips() const { return m_leftTwips; }
    void setLeftTwips(double twips);
    // Full height (340 twips) or collapsed (20 twips).
    bool isFullHeight() const { return m_fullHeight; }
    // Top of the English line in twips: 400 parked, 60 in view.
    int label2TopTwips() const { return m_label2Top; }
    // The colour Timer2 has drawn over the collapsed strip; invalid when clear.
    QColor stripMarkColor() const { return m_markColor; }
    // The start-up window while it is up; null once it is gone.
    Form4* startupWindow() const;

    // Brings the strip and the character to the front (a second start asks).
    void activate();

    // The missing-string message; tests replace it to answer it. An empty
    // handler brings back the message box.
    using MessageHandler = std::function<void(const QString& text)>;
    void setMessageHandler(MessageHandler handler);

    PlaybackState& state() { return m_state; }
    SettingsStore& store() { return m_store; }
    Desktop& desktop() { return m_desktop; }
    Form2& menuHolder();

    // Controls, named as in the layout; each also carries its objectName.
    QFrame* const Shape1;
    QLabel* const Label3;
    QLabel* const Label1;
    QLabel* const Label2;
    QLabel* const Label4;
    StripPicture* const Image1;
    QTimer* const Timer1;
    QTimer* const Timer2;
    QTimer* const Timer3;
    QTimer* const Timer4;
    QTimer* const Timer5;

    // The character; null when it could not be loaded (calls are then skipped).
    Character* mobjAgent = nullptr;
    // The pair on show.
    QString mstrItalian;
    QString mstrEnglish;
    // Placement: window rectangle in screen pixels, full height in twips.
    QRect mrctWindow;
    int mlngFullHeight = 0;
    qint16 mblnDragging = 0;
    QPoint mptCursor;
    int mlngDragOffsetX = 0;
    int mlngDragOffsetY = 0;
    qint16 mintScrollStep = 0;
    qint16 mintStripColor = 0;

private:
    void buildLayout();
    void placeTwips(QWidget* widget, const Twips::Rect& place);
    int pixelsX(double twips) const;
    int pixelsY(double twips) const;

    void loadCharacter();
    void placeStartupWindow();
    void makeTopmost();
    void placeCharacter();
    void unloadStartupWindow();

    void applyAutoHide(qint16 countdown);
    void countdownActions(qint16 countdown);
    void stepItalianFirst(int italianTicks, int englishTicks);
    void stepEnglishFirst(int italianTicks, int englishTicks);
    void clearItalianLine();
    void parkEnglishLine();
    void endCycle();
    void speakAndWave();

    void setFullHeight(bool full);
    void setLabel2Top(int twips);
    void drawStripMark(const QColor& color);
    void clearStripMark();

    PlaybackState& m_state;
    const Corpus& m_corpus;
    SettingsStore& m_store;
    AgentControl& m_agent;
    Desktop& m_desktop;
    SentenceScheduler m_scheduler;
    MessageHandler m_messageHandler;
    std::unique_ptr<Form2> m_form2;
    QPointer<Form4> m_form4;
    DragHandles* const m_dragHandles;
    // Drawn above every control, like graphics on the form's surface.
    QWidget* const m_stripMark;
    QColor m_markColor;
    double m_leftTwips = 0.0;
    int m_label2Top = 0;
    bool m_fullHeight = true;
    bool m_messageOpen = false;
};
