#include "strip/CaptionStrip.h"

#include "agent/AgentControl.h"
#include "agent/Character.h"
#include "platform/Desktop.h"
#include "platform/DesktopHints.h"
#include "platform/ProductInfo.h"
#include "platform/ScreenLayoutWatch.h"
#include "platform/StripSize.h"
#include "platform/Twips.h"
#include "playback/PairSource.h"
#include "settings/SettingsStore.h"
#include "strip/CaptionLine.h"
#include "strip/DragHandles.h"
#include "strip/LineFit.h"
#include "strip/StripOutline.h"
#include "strip/StripPicture.h"
#include "strip/StripPlacement.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <array>
#include <limits>

namespace {

// Layout, in twips: left, top, width, height.
constexpr Twips::Rect kItalianLineBox{0, 50, 13280, 280};
constexpr Twips::Rect kEnglishLineBox{0, 400, 6650, 330};
constexpr Twips::Rect kHairlineBox{0, 0, 6300, 10};
constexpr Twips::Rect kPictureBackBox{6840, 15, 405, 330};
constexpr Twips::Rect kMenuPictureBox{6840, 45, 270, 270};
constexpr Twips::Rect kOutlineBox{0, 15, 7140, 330};
constexpr int kWindowWidth = 7155;
constexpr int kFullHeight = StripSize::kFullHeightTwips;
constexpr int kCollapsedHeight = 20;
constexpr int kMenuBelowStrip = 10;
constexpr int kLineEndGap = 2; // pixels between a line's end and the picture

// The English line rests below the window and slides up into view.
constexpr int kEnglishParked = 400;
constexpr int kEnglishShown = 60;
constexpr int kEnglishStep = 10;

// Intervals in milliseconds.
constexpr int kPointerMs = 60;
constexpr int kBlinkMs = 1500;
constexpr int kSlideMs = 50;
constexpr int kScrollMs = 80;
constexpr int kCycleMs = DisplayCycle::kTickMs;
// A cycle woken up to a second late catches up with the clock; the rest of
// a longer stall is let go rather than raced through.
constexpr int kLateTicks = DisplayCycle::kTicksPerSecond;

// The welcome countdown of Timer1: the strip replaces the start-up window at
// 50, and at 2 the display cycle starts unless a dialog is open.
constexpr qint16 kCountdownStart = 70;
constexpr qint16 kStripShownAt = 50;
constexpr qint16 kCountdownStartsCycle = 2;
constexpr qint16 kFirstStripColor = 10;
constexpr qint16 kSecondStripColor = 12;
constexpr int kScrollWidth = 36;   // Italian line: spaces before it on the first tick
constexpr int kWelcomeIndent = 20; // welcome line: c - 20 spaces before it
constexpr int kPointerTopRows = 3; // a collapsed strip opens at y <= 3
constexpr int kItalian = 1040;     // language identifier of the speech
constexpr int kCharacterGap = 6;   // pixels between strip and character

const QString kWelcome = QStringLiteral(" Welcome to use %1.").arg(ProductInfo::kVersionText);
const QString kCleared = QStringLiteral(" ");

// The standard 16-colour palette Timer2 draws in.
constexpr std::array<QRgb, 16> kPalette{
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xc0c0c0,
    0x808080, 0x0000ff, 0x00ff00, 0x00ffff, 0xff0000, 0xff00ff, 0xffff00, 0xffffff,
};

QColor paletteColor(qint16 index)
{
    return QColor::fromRgb(kPalette[static_cast<std::size_t>(index) % kPalette.size()]);
}

const QColor kOutlineColor(0x6f, 0x8c, 0xb0);

// The countdown never wraps, however long the program runs.
qint16 decrement(qint16 value)
{
    return value > std::numeric_limits<qint16>::min() ? static_cast<qint16>(value - 1) : value;
}

// Setting a caption costs a relayout and a repaint; skip it when nothing
// changes. The line is named by its words alone: while the Italian line
// scrolls in its text is a shrinking run of blanks before the sentence, and
// a screen reader must not announce every step.
void setCaption(QLabel* label, const QString& text)
{
    if (label->text() == text)
        return;
    label->setText(text);
    const QString words = text.trimmed();
    if (label->accessibleName() != words)
        label->setAccessibleName(words);
}

QString indented(int spaces, const QString& text)
{
    return QString(std::max(spaces, 0), QLatin1Char(' ')) + text;
}

QFont captionFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPointSizeF(10.5);
    return font;
}

// Switching on a running timer leaves its beat alone.
void enable(QTimer* timer)
{
    if (!timer->isActive())
        timer->start();
}

template <typename Label = QLabel> QLabel* makeLabel(QWidget* parent, const char* name)
{
    auto* label = new Label(parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

QTimer* makeTimer(QObject* parent, const char* name, int interval)
{
    auto* timer = new QTimer(parent);
    timer->setObjectName(QLatin1String(name));
    timer->setInterval(interval);
    return timer;
}

void fill(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void showModalMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(ProductInfo::kTitle), text,
                    QMessageBox::Ok);
    box.exec();
}

} // namespace

CaptionStrip::CaptionStrip(PlaybackState& state, PairSource& pairs, SettingsStore& store,
                           AgentControl& agent, Desktop& desktop, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool |
                          Qt::WindowDoesNotAcceptFocus | DesktopHints::selfPlacedFlags()),
      m_state(state), m_pairs(pairs), m_store(store), m_agent(agent), m_desktop(desktop),
      m_outline(new StripOutline(this)), m_hairline(makeLabel(this, "Label3")),
      m_italianLine(makeLabel<CaptionLine>(this, "Label1")),
      m_englishLine(makeLabel<CaptionLine>(this, "Label2")),
      m_pictureBack(makeLabel(this, "Label4")), m_menuPicture(new StripPicture(this)),
      m_pointerTimer(makeTimer(this, "Timer1", kPointerMs)),
      m_blinkTimer(makeTimer(this, "Timer2", kBlinkMs)),
      m_slideTimer(makeTimer(this, "Timer3", kSlideMs)),
      m_scrollTimer(makeTimer(this, "Timer4", kScrollMs)),
      m_cycleTimer(makeTimer(this, "Timer5", kCycleMs)),
      m_dragHandles(new DragHandles([this] { beginDrag(); }, [this] { followPointer(); },
                                    [this] { endDrag(); }, this)),
      m_stripMark(new QWidget(this)), m_messageHandler(showModalMessage),
      m_clock(PlayClock::monotonicMs)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    // The user keeps typing in their own application while the strip plays,
    // and the strip is no task of theirs.
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Qt shows tooltips only in the active window, which the strip never is;
    // the lines carry the pair as tooltips.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    DesktopHints::keepOffTaskbar(this);
    buildLayout();

    connect(m_pointerTimer, &QTimer::timeout, this, &CaptionStrip::pointerTick);
    connect(m_blinkTimer, &QTimer::timeout, this, &CaptionStrip::blinkTick);
    connect(m_slideTimer, &QTimer::timeout, this, &CaptionStrip::slideTick);
    connect(m_scrollTimer, &QTimer::timeout, this, &CaptionStrip::scrollTick);
    connect(m_cycleTimer, &QTimer::timeout, this, &CaptionStrip::wakeCycle);
    // The cycle sleeps until its next step and the blink, only while the
    // strip is collapsed, until its next beat; both are woken to the
    // millisecond, since each wait is measured from the clock and a coarse
    // timer may be 5% off or rounded to whole seconds.
    m_cycleTimer->setSingleShot(true);
    m_blinkTimer->setSingleShot(true);
    m_cycleTimer->setTimerType(Qt::PreciseTimer);
    m_blinkTimer->setTimerType(Qt::PreciseTimer);
    // Kept to their exact beat, so that they keep meeting the parrot's.
    m_scrollTimer->setTimerType(Qt::PreciseTimer);
    m_slideTimer->setTimerType(Qt::PreciseTimer);
    connect(m_menuPicture, &StripPicture::mouseMoved, this, &CaptionStrip::requestMenu);
    for (QLabel* label : {m_italianLine, m_englishLine, m_hairline, m_pictureBack})
        m_dragHandles->watch(label);
}

CaptionStrip::~CaptionStrip() = default;
// The strip ends only through Exit: closed from a taskbar or a window list
// it would take the menu, and so Exit, with it.
void CaptionStrip::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

void CaptionStrip::buildLayout()
{
    fill(this, m_desktop.backgroundColor());
    resize(pixelsX(kWindowWidth), pixelsY(kFullHeight));

    m_outline->setObjectName(QStringLiteral("Shape1"));
    m_outline->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_outline->setLineWidth(1);
    QPalette outline = m_outline->palette();
    outline.setColor(QPalette::WindowText, kOutlineColor);
    m_outline->setPalette(outline);
    m_outline->setAttribute(Qt::WA_TransparentForMouseEvents);
    placeTwips(m_outline, kOutlineBox);

    const QFont font = captionFont();
    for (QLabel* line : {m_italianLine, m_englishLine}) {
        line->setFont(font);
        QPalette palette = line->palette();
        palette.setColor(QPalette::WindowText, Qt::white);
        line->setPalette(palette);
        line->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        line->setWordWrap(false);
        line->setTextFormat(Qt::PlainText);
    }
    // Screen readers hear each line's words (named as they change) and are
    // told which line it is; the hairline, the backing and the outline
    // only decorate.
    m_italianLine->setAccessibleDescription(QStringLiteral("Italian sentence"));
    m_englishLine->setAccessibleDescription(QStringLiteral("English translation"));
    const QString decoration = QStringLiteral("Decoration");
    m_outline->setAccessibleName(QStringLiteral("Strip outline"));
    m_hairline->setAccessibleName(QStringLiteral("Strip edge"));
    m_pictureBack->setAccessibleName(QStringLiteral("Menu picture background"));
    for (QWidget* widget : std::initializer_list<QWidget*>{m_outline, m_hairline, m_pictureBack})
        widget->setAccessibleDescription(decoration);
    m_menuPicture->setAccessibleName(QStringLiteral("Menu"));
    m_menuPicture->setAccessibleDescription(QStringLiteral("Point at it to open the menu"));
    placeTwips(m_italianLine, kItalianLineBox);
    setEnglishTop(kEnglishLineBox.top);
    // The English box reaches below the strip's bottom edge even at rest.
    // Its words keep to a band as tall as the Italian line's, so that they
    // rest as high as the Italian words (the box 10 twips lower) and their
    // descenders stay inside the strip.
    m_englishLine->setContentsMargins(0, 0, 0,
                                      pixelsY(kEnglishLineBox.height - kItalianLineBox.height));
    fill(m_hairline, m_desktop.inactiveCaptionColor());
    placeTwips(m_hairline, kHairlineBox);
    fill(m_pictureBack, m_desktop.backgroundColor());
    placeTwips(m_pictureBack, kPictureBackBox);

    m_menuPicture->setObjectName(QStringLiteral("Image1"));
    placeTwips(m_menuPicture, kMenuPictureBox);

    m_stripMark->setObjectName(QStringLiteral("stripMark"));
    m_stripMark->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_stripMark->setAutoFillBackground(true);
    m_stripMark->hide();
}

void CaptionStrip::placeTwips(QWidget* widget, const Twips::Rect& place)
{
    widget->setGeometry(
        Twips::toPixels(place, m_desktop.twipsPerPixelX(), m_desktop.twipsPerPixelY()));
}

int CaptionStrip::pixelsX(double twips) const
{
    return Twips::toPixels(twips, m_desktop.twipsPerPixelX());
}

int CaptionStrip::pixelsY(double twips) const
{
    return Twips::toPixels(twips, m_desktop.twipsPerPixelY());
}

void CaptionStrip::start()
{
    loadCharacter();
    setLeftTwips(m_store.loadSettings(m_state, m_desktop.screenWidthTwips()));
    // "left" may come from a wider monitor, or one that is gone: the strip
    // starts where a drag would have left it.
    settleOn(startupHint());
    move(x(), m_top);
    if (!m_screenWatch) {
        m_screenWatch = new ScreenLayoutWatch(this);
        connect(m_screenWatch, &ScreenLayoutWatch::changed, this, &CaptionStrip::followScreens);
    }
    hide();
    Q_EMIT startupWindowDue();

    m_slideTimer->stop();
    m_scrollTimer->stop();
    m_cycleTimer->stop();
    m_cycle.restart();
    m_playClock.restart(m_clock());
    m_countdown = kCountdownStart;

    loadSentencePair();
    makeTopmost();
    pinToTop();
    placeCharacter();
    // Started last: a message box during start-up must not let them run
    // before the strip is in place. The blink beats from here on, asleep
    // or not.
    m_pointerTimer->start();
    m_startMs = m_clock();
}

// An unknown character is not fatal: the tutor goes on without one.
void CaptionStrip::loadCharacter()
{
    CharacterCollection& characters = m_agent.Characters();
    const QString id = QString::fromLatin1(kCharacterId);
    if (characters.Load(id, QString()))
        m_character = characters.Item(id);
    if (!m_character)
        return;
    m_character->Show();
    m_character->setLanguageID(kItalian);
    keepBalloonOff();
}

void CaptionStrip::setMenuArea(const QRect& screenArea)
{
    m_menuArea = screenArea;
    keepBalloonOff();
}

void CaptionStrip::keepBalloonOff()
{
    // The open menu hangs below the strip: the balloon keeps off both.
    if (m_character)
        m_character->setKeepClear(m_menuArea.isEmpty() ? geometry()
                                                       : geometry().united(m_menuArea));
}

void CaptionStrip::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (!m_dragging && isVisible() && pos() != QPoint(pixelsX(m_leftTwips), m_top))
        followWindowManager();
    keepBalloonOff();
}

// Some window managers (fluxbox) place a new window where they like. The
// strip asks for its place once more; kept away again, it takes the place
// it was given, so that the menu, a drag and the stored edge go by where it
// really is.
void CaptionStrip::followWindowManager()
{
    if (!m_askedAgain) {
        m_askedAgain = true;
        move(pixelsX(m_leftTwips), m_top);
        return;
    }
    m_leftTwips = Twips::fromPixels(x(), m_desktop.twipsPerPixelX());
    m_top = y();
    m_windowRect.moveTopLeft(pos());
    m_desktop.setStripPoint(QPoint(pixelsX(m_leftTwips + StripPlacement::kReachTwips) - 1, m_top));
}

void CaptionStrip::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    keepBalloonOff();
}

// Whole twips divided by whole twips per pixel, as the window system is
// handed the strip's size when it is made topmost.
void CaptionStrip::makeTopmost()
{
    const auto wholeDiv = [](double twips, double perPixel) {
        const long divisor = std::max(1L, std::lround(perPixel));
        return static_cast<int>(std::lround(twips) / divisor);
    };
    const QRect topmost(pixelsX(m_leftTwips), m_top,
                        wholeDiv(kWindowWidth, m_desktop.twipsPerPixelX()),
                        wholeDiv(kFullHeight, m_desktop.twipsPerPixelY()));
    if (geometry() != topmost)
        setGeometry(topmost);
    // The stays-on-top flag keeps it above other windows; a shown strip is
    // brought up now as well.
    if (isVisible())
        raise();
}

// Just below the right end of the strip, inside its monitor.
void CaptionStrip::placeCharacter()
{
    if (!m_character)
        return;
    const QRect screen = m_desktop.screenGeometry();
    const QPoint spot(
        std::clamp(m_windowRect.right() + 1, screen.left(), screen.right()),
        std::clamp(m_windowRect.bottom() + 1 + kCharacterGap, screen.top(), screen.bottom()));
    m_character->MoveTo(spot);
}

void CaptionStrip::pinToTop()
{
    const QRect pinned(x(), m_top, width(), pixelsY(kFullHeight));
    if (geometry() != pinned)
        setGeometry(pinned);
    showFullHeight();
    m_windowRect = frameGeometry();
}

// A long line gets a smaller size of the caption font, so that it ends
// before the menu picture.
void CaptionStrip::fitLine(QLabel* line, const QString& text)
{
    const int room = pixelsX(kPictureBackBox.left) - kLineEndGap;
    const QFont font = LineFit::fitted(captionFont(), kCleared + text, room);
    if (line->font() != font)
        line->setFont(font);
}

void CaptionStrip::loadSentencePair()
{
    const SentencePair pair = m_pairs.next(m_state);
    if (pair.italian)
        m_italian = *pair.italian;
    m_spoken = pair.spoken.value_or(m_italian);
    if (pair.english)
        m_english = *pair.english;
    fitLine(m_italianLine, m_italian);
    fitLine(m_englishLine, m_english);
    if (!pair.italian || !pair.english) {
        // The display cycle waits while the message is up.
        m_messageOpen = true;
        m_messageHandler(QString::number(pair.sentence));
        m_messageOpen = false;
    }
    if (pair.sequence) {
        m_italianLine->setToolTip(m_italian);
        m_englishLine->setToolTip(m_english);
    }
    Q_EMIT pairShown(m_italian, m_english);
}

void CaptionStrip::setMessageHandler(MessageHandler handler)
{
    m_messageHandler = handler ? std::move(handler) : MessageHandler(showModalMessage);
}

void CaptionStrip::setClock(Clock clock)
{
    m_clock = clock ? std::move(clock) : Clock(PlayClock::monotonicMs);
}

void CaptionStrip::setLeftTwips(double twips)
{
    m_leftTwips = twips;
    const int left = pixelsX(twips);
    if (x() != left)
        move(left, y());
}

void CaptionStrip::setDialogOpen(bool open, Playback playback)
{
    m_dialogOpen = open;
    // A disabled picture gets no mouse events, so the menu stays shut.
    m_menuPicture->setEnabled(!open);
    // A dialog may switch auto-hide, which the strip follows at once.
    updatePointerTimer();
    if (playback == Playback::Continue)
        return;
    // The cycle's tick and phase stay where they are while it is held.
    m_held = open;
    if (!open && m_countdown <= kCountdownStartsCycle)
        m_playing = true;
    updateCycleTimer();
}

void CaptionStrip::setPaused(bool paused)
{
    if (paused == m_paused)
        return;
    m_paused = paused;
    m_menuPicture->setPaused(paused);
    if (paused && m_character)
        m_character->Stop();
    updateCycleTimer();
}

void CaptionStrip::repeatPair()
{
    carryOut(m_cycle.repeatPair(m_state));
    showFirstLineNow();
}

void CaptionStrip::nextPair()
{
    carryOut(m_cycle.skipPair(m_state));
    showFirstLineNow();
}

// After Repeat or Next the first line comes at once, paused or not.
void CaptionStrip::showFirstLineNow()
{
    m_cycleTimer->stop();
    m_sleepTicks = 0;
    // The cycle's time starts again with the tick taken here.
    m_playClock.restart(m_clock(), m_playing ? 1 : 0);
    if (m_playing)
        advanceCycle();
    updateCycleTimer();
}

// The cycle runs once the welcome (or the first closing of Settings) has
// started it, unless Settings holds it or the learner paused it.
void CaptionStrip::updateCycleTimer()
{
    if (m_playing && !m_held && !m_paused) {
        if (!m_cycleTimer->isActive())
            sleepUntilNextStep();
        return;
    }
    catchUpSleep();
    m_cycleTimer->stop();
}

void CaptionStrip::sleepUntilNextStep()
{
    const qint64 now = m_clock();
    m_playClock.run(now);
    m_sleepTicks = m_cycle.ticksUntilNextStep(m_state);
    m_cycleTimer->start(static_cast<int>(m_playClock.msUntil(now, m_sleepTicks)));
}

// The ticks a held sleep had already run; the clock keeps the rest of the
// tick, so that a line keeps its time to the millisecond.
void CaptionStrip::catchUpSleep()
{
    if (!m_playClock.isRunning())
        return;
    const qint64 now = m_clock();
    const int slept = m_playClock.takeTicks(now, 0, m_sleepTicks + kLateTicks);
    m_playClock.hold(now);
    m_sleepTicks = 0;
    for (int i = 0; i < slept; ++i)
        advanceCycle();
}

void CaptionStrip::wakeCycle()
{
    const int armed = std::max(1, m_sleepTicks);
    const int ticks = m_playClock.takeTicks(m_clock(), armed, armed + kLateTicks);
    m_sleepTicks = 0;
    for (int i = 0; i < ticks; ++i)
        advanceCycle();
    m_cycleTimer->stop(); // armed afresh for the next step
    updateCycleTimer();
}

// Only auto-hide, a held label, an open dialog (which may switch auto-hide)
// and the welcome need the pointer timer.
void CaptionStrip::updatePointerTimer()
{
    const bool needed = m_countdown > 1 || m_state.autoHide != 0 || m_dragging || m_dialogOpen;
    if (needed)
        enable(m_pointerTimer);
    else
        m_pointerTimer->stop();
}

void CaptionStrip::skipStartupWindow()
{
    setVisible(!m_outOfSight);
    m_countdown = kStripShownAt;
}

void CaptionStrip::setCharacterShown(bool shown)
{
    m_characterShown = shown;
    if (!m_character || m_outOfSight)
        return;
    if (shown)
        m_character->Show();
    else
        m_character->Hide();
}

// Hiding the character is also how reading aloud is off, so it comes back
// only when reading aloud is on. The strip comes back once the welcome has
// brought it up.
void CaptionStrip::setOutOfSight(bool out)
{
    if (out == m_outOfSight)
        return;
    m_outOfSight = out;
    setVisible(!out && m_countdown <= kStripShownAt);
    if (m_character && m_characterShown)
        out ? m_character->Hide() : m_character->Show();
}

void CaptionStrip::activate()
{
    if (m_outOfSight)
        return;
    show();
    raise();
    if (m_character)
        m_character->Raise();
}

void CaptionStrip::saveExitSettings()
{
    m_store.saveExitSettings(m_state, m_leftTwips);
    m_store.flush();
}

// ---------------------------------------------------------------- timers

void CaptionStrip::pointerTick()
{
    const qint16 c = decrement(m_countdown);
    m_countdown = c;
    // Only auto-hide and a drag need the pointer. Asking the display server
    // for it 16 times a second regardless was the largest cost of a strip
    // that just stands there.
    if (m_state.autoHide != 0 || m_dragging)
        m_cursor = m_desktop.cursorPos();
    applyAutoHide(c);
    countdownActions(c);
    updatePointerTimer();
}

// Open while the welcome runs, while auto-hide is off, while a label is
// held, or while the pointer is in the strip's rectangle and either touches
// the top rows of the screen or finds the strip already open.
void CaptionStrip::applyAutoHide(qint16 countdown)
{
    const bool inside = m_windowRect.contains(m_cursor);
    // Under a top panel the strip's own top rows are a thin band below it;
    // the screen's top edge above the strip opens it as well.
    const bool overColumns =
        m_cursor.x() >= m_windowRect.left() && m_cursor.x() <= m_windowRect.right();
    const bool atScreenTop = overColumns && m_cursor.y() - m_screenTop <= kPointerTopRows;
    const bool open = countdown > 0 || m_state.autoHide == 0 || m_dragging || atScreenTop ||
                      (inside && (m_cursor.y() - m_top <= kPointerTopRows || m_fullHeight));
    setFullHeight(open);
}

void CaptionStrip::countdownActions(qint16 c)
{
    if (c == 0) {
        m_countdown = 1; // stays run out
    } else if (c >= 1 && c <= kCountdownStartsCycle) {
        setCaption(m_italianLine, kCleared);
        if (!m_dialogOpen) {
            m_playing = true;
            updateCycleTimer();
        }
    } else if (c > kCountdownStartsCycle && c <= kWelcomeIndent) {
        setCaption(m_italianLine, kWelcome);
    } else if (c > kWelcomeIndent) {
        if (c <= kStripShownAt) {
            Q_EMIT startupWindowOver();
            if (!isVisible() && !m_outOfSight)
                show();
        }
        setCaption(m_italianLine, indented(c - kWelcomeIndent, kWelcome));
    }
}

// The colours take turns on the beats of a timer running since start-up,
// green on the first: a wake-up that came after a later beat than the one it
// stands for shows that beat.
void CaptionStrip::blinkTick()
{
    const qint64 now = m_clock();
    const qint64 beat = std::max(m_blinkBeat, (now - m_startMs) / kBlinkMs);
    const qint16 color = beat % 2 != 0 ? kFirstStripColor : kSecondStripColor;
    if (!m_fullHeight && !m_dragging)
        drawStripMark(paletteColor(color));
    else
        clearStripMark();
    if (!m_fullHeight)
        armBlink(beat + 1);
}

// Asleep while the strip is open; collapsed, it wakes on the beats.
void CaptionStrip::armBlink(qint64 beat)
{
    const qint64 now = m_clock();
    // Measured from the beat just served when the clock reads a moment before it.
    const qint64 from = std::max(now, m_startMs + (beat - 1) * kBlinkMs);
    m_blinkBeat = beat;
    m_blinkTimer->start(static_cast<int>(m_startMs + beat * kBlinkMs - from));
}

// The timer sleeps through steps that would not move the line by a whole
// pixel and wakes when one does, taking the ones it slept through with it.
void CaptionStrip::slideTick()
{
    setCaption(m_englishLine, kCleared + m_english);
    int top = m_englishTop;
    for (int step = m_slideTimer->interval() / kSlideMs; step > 0; --step) {
        if (top <= kEnglishShown) {
            setEnglishTop(kEnglishShown);
            m_slideTimer->stop();
            return;
        }
        top -= kEnglishStep;
    }
    setEnglishTop(top);
    const int wait = stepsUntilEnglishMoves() * kSlideMs;
    if (m_slideTimer->interval() != wait)
        m_slideTimer->setInterval(wait);
}

// Counts the step that moves the line to another pixel row, or the one that
// ends the slide.
int CaptionStrip::stepsUntilEnglishMoves() const
{
    const int row = pixelsY(m_englishTop);
    int top = m_englishTop;
    int steps = 1;
    while (top > kEnglishShown && pixelsY(top - kEnglishStep) == row) {
        top -= kEnglishStep;
        ++steps;
    }
    return steps;
}

void CaptionStrip::scrollTick()
{
    setCaption(m_italianLine, indented(kScrollWidth - m_scrollStep, m_italian));
    if (++m_scrollStep >= kScrollWidth) {
        m_scrollStep = 0;
        m_scrollTimer->stop();
    }
}

void CaptionStrip::advanceCycle()
{
    if (!m_messageOpen)
        carryOut(m_cycle.advance(m_state));
}

void CaptionStrip::carryOut(DisplayCycle::Steps steps)
{
    using Step = DisplayCycle::Step;
    if (steps & Step::LoadPair)
        loadSentencePair();
    if (steps & Step::ClearItalian)
        clearItalianLine();
    if (steps & Step::ParkEnglish)
        parkEnglishLine();
    // The wave first: the scroll's steps then fall due just after every other
    // frame of it and are served in the same wake-up.
    if (steps & Step::SpeakAndWave)
        speakAndWave();
    if (steps & Step::ScrollItalianIn)
        enable(m_scrollTimer);
    if ((steps & Step::SlideEnglishUp) && !m_slideTimer->isActive())
        m_slideTimer->start(kSlideMs);
}

// A line's time can end before its animation does when Settings shortened
// it mid-cycle; stop the animation too, or it would bring the line back.
void CaptionStrip::clearItalianLine()
{
    m_scrollTimer->stop();
    m_scrollStep = 0;
    setCaption(m_italianLine, kCleared);
}

void CaptionStrip::parkEnglishLine()
{
    m_slideTimer->stop();
    setCaption(m_englishLine, kCleared);
    setEnglishTop(kEnglishParked);
}

// Only the Italian line is spoken; the wave comes with every Italian line,
// read aloud or not. Whatever the character does wrong must not stop the
// cycle.
void CaptionStrip::speakAndWave()
{
    if (!m_character)
        return;
    try {
        if (m_state.readAloud == 1) {
            // A pace picked meanwhile counts from this sentence on.
            m_character->setSpeechPace(m_state.speed);
            m_character->SpeakAs(m_italian, m_spoken);
        }
    } catch (...) {
    }
    try {
        m_character->Play(QStringLiteral("Wave"));
    } catch (...) {
    }
}

// ---------------------------------------------------------------- placement

void CaptionStrip::setFullHeight(bool full)
{
    if (full == m_fullHeight)
        return;
    m_fullHeight = full;
    resize(width(), std::max(1, pixelsY(full ? kFullHeight : kCollapsedHeight)));
    // Opening the strip repaints it, which wipes the collapsed strip's colour.
    if (full)
        showFullHeight();
    else
        armBlink((m_clock() - m_startMs) / kBlinkMs + 1);
}

void CaptionStrip::showFullHeight()
{
    m_fullHeight = true;
    m_blinkTimer->stop();
    clearStripMark();
}

void CaptionStrip::setEnglishTop(int twips)
{
    m_englishTop = twips;
    const QRect target(pixelsX(kEnglishLineBox.left), pixelsY(twips),
                       pixelsX(kEnglishLineBox.width), pixelsY(kEnglishLineBox.height));
    if (m_englishLine->geometry() != target)
        m_englishLine->setGeometry(target);
}

// Covers the collapsed strip, from (0, height - 20) to (width, height) twips.
void CaptionStrip::drawStripMark(const QColor& color)
{
    const int bar = std::max(1, pixelsY(kCollapsedHeight));
    const QRect area(0, std::max(0, height() - bar), width(), bar);
    if (m_stripMark->geometry() != area)
        m_stripMark->setGeometry(area);
    if (m_markColor != color) {
        m_markColor = color;
        QPalette palette = m_stripMark->palette();
        palette.setColor(QPalette::Window, color);
        m_stripMark->setPalette(palette);
    }
    if (m_stripMark->isHidden()) {
        m_stripMark->raise();
        m_stripMark->show();
    }
}

void CaptionStrip::clearStripMark()
{
    m_markColor = QColor();
    if (!m_stripMark->isHidden())
        m_stripMark->hide();
}

// ---------------------------------------------------------------- dragging

void CaptionStrip::beginDrag()
{
    m_dragging = true;
    m_cursor = m_desktop.cursorPos(); // Timer1 samples it only while it is needed
    updatePointerTimer();
    m_dragOffset = StripPlacement::dragOffset(m_cursor, m_windowRect);
}

// The window follows the pointer as Timer1 last saw it, at the size captured
// before the drag (the full height).
void CaptionStrip::followPointer()
{
    if (!m_dragging)
        return;
    const QRect target = StripPlacement::dragTarget(m_cursor, m_dragOffset, m_windowRect);
    if (geometry() != target)
        setGeometry(target);
    showFullHeight();
    m_leftTwips = Twips::fromPixels(target.x(), m_desktop.twipsPerPixelX());
}

// The strip stays on the monitor it was dragged to.
void CaptionStrip::endDrag()
{
    settleOn(m_cursor);
    pinToTop();
    m_dragging = false;
    updatePointerTimer();
}

// On the top edge of the monitor that holds `hint`, below any top panel,
// pushed inside that monitor's free area.
void CaptionStrip::settleOn(const QPoint& hint)
{
    m_desktop.setStripPoint(hint);
    const Desktop::Screen screen = m_desktop.stripScreen();
    const QRect area = screen.available;
    m_screenTop = screen.geometry.top();
    m_askedAgain = false;
    const double perPixel = m_desktop.twipsPerPixelX();
    setLeftTwips(StripPlacement::clampLeft(static_cast<float>(m_leftTwips),
                                           static_cast<float>(area.left() * perPixel),
                                           static_cast<float>(area.width() * perPixel)));
    m_top = area.top();
    // The menu picture's end is always inside the area: it names the monitor
    // from now on, for the strip and for the windows that open on it.
    m_desktop.setStripPoint(QPoint(pixelsX(m_leftTwips + StripPlacement::kReachTwips) - 1, m_top));
}

// Where the primary monitor's top edge meets the strip's reach, as a
// start-up hint: the monitor under the stored edge, else the primary one.
QPoint CaptionStrip::startupHint() const
{
    const int primaryTop = m_desktop.screens().first().geometry.top();
    return QPoint(pixelsX(m_leftTwips + StripPlacement::kReachTwips) - 1, primaryTop);
}

void CaptionStrip::followScreens()
{
    if (m_dragging)
        return; // the drop settles it
    const QPoint here = m_desktop.stripPoint();
    settleOn(m_desktop.isOnScreen(here) ? here : startupHint());
    move(x(), m_top);
    m_windowRect.moveTopLeft(pos());
}

void CaptionStrip::requestMenu()
{
    if (m_dialogOpen)
        return;
    const QPoint topRight(pixelsX(StripPlacement::kReachTwips),
                          pixelsY(kFullHeight + kMenuBelowStrip));
    Q_EMIT menuRequested(mapToGlobal(topRight));
}
