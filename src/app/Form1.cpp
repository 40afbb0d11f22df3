#include "app/Form1.h"

#include "agent/AgentControl.h"
#include "agent/Character.h"
#include "app/Desktop.h"
#include "app/StripPicture.h"
#include "app/Twips.h"
#include "content/Corpus.h"
#include "content/Numbering.h"
#include "settings/SettingsStore.h"
#include "ui/Form2.h"
#include "ui/Form3.h" // Form2 hands these out through QPointer
#include "ui/Form4.h"
#include "ui/Form7.h"
#include "ui/ProductInfo.h"
#include "window/DragHandles.h"
#include "window/StripPlacement.h"

#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <array>
#include <limits>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

// Layout, in twips: left, top, width, height.
constexpr Twips::Rect kLabel1{0, 50, 13280, 280};
constexpr Twips::Rect kLabel2{0, 400, 6650, 330};
constexpr Twips::Rect kLabel3{0, 0, 6300, 10};
constexpr Twips::Rect kLabel4{6840, 15, 405, 330};
constexpr Twips::Rect kImage1{6840, 45, 270, 270};
constexpr Twips::Rect kShape1{0, 15, 7140, 330};
constexpr int kWindowWidth = 7155;
constexpr int kFullHeight = 340;
constexpr int kCollapsedHeight = 20;
constexpr int kMenuBelowStrip = 10;

// The English line rests below the window and slides up into view.
constexpr int kLabel2Parked = 400;
constexpr int kLabel2Shown = 60;
constexpr int kLabel2Step = 10;

// Intervals in milliseconds.
constexpr int kTimer1Interval = 60;
constexpr int kTimer2Interval = 1500;
constexpr int kTimer3Interval = 50;
constexpr int kTimer4Interval = 80;
constexpr int kTimer5Interval = 100;

constexpr qint16 kCountdownStart = 70;
constexpr qint16 kStripShownAt = 50; // countdown at which the splash gives way
constexpr qint16 kFirstStripColor = 10;
constexpr qint16 kSecondStripColor = 12;
constexpr int kScrollWidth = 36;    // Italian line: spaces before it on the first tick
constexpr int kWelcomeIndent = 20;  // welcome line: c - 20 spaces before it
constexpr int kPointerTopRows = 3;  // a collapsed strip opens at y <= 3
constexpr int kTicksPerSecond = 10; // Timer5 ticks
constexpr int kItalian = 1040;      // language identifier of the speech
constexpr int kCharacterGap = 6;    // pixels between strip and character

const QString kCharacterId = QStringLiteral("Peedy");
const QString kWelcome = QStringLiteral(" Welcome to use Quorvel V1.01.");
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

// The desktop's own colour where the platform has one; a calm dark blue that
// white text reads well on elsewhere.
QColor stripColor()
{
#ifdef Q_OS_WIN
    const COLORREF c = GetSysColor(COLOR_DESKTOP);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
#else
    return QColor(0x1e, 0x3a, 0x5f);
#endif
}

// The hairline along the top, in the colour of an inactive title bar.
QColor hairlineColor()
{
#ifdef Q_OS_WIN
    const COLORREF c = GetSysColor(COLOR_INACTIVECAPTION);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
#else
    return QColor(0xbf, 0xcd, 0xdb);
#endif
}

const QColor kOutlineColor(0x6f, 0x8c, 0xb0);

// Counters never wrap: a tick counter that kept running would otherwise turn
// negative after an hour.
qint16 increment(qint16 value)
{
    return value < std::numeric_limits<qint16>::max() ? static_cast<qint16>(value + 1) : value;
}

qint16 decrement(qint16 value)
{
    return value > std::numeric_limits<qint16>::min() ? static_cast<qint16>(value - 1) : value;
}

// Setting a caption costs a relayout and a repaint; skip it when nothing changes.
void setCaption(QLabel* label, const QString& text)
{
    if (label->text() != text)
        label->setText(text);
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

QLabel* makeLabel(QWidget* parent, const char* name)
{
    auto* label = new QLabel(parent);
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

Form1::Form1(PlaybackState& state, const Corpus& corpus, SettingsStore& store, AgentControl& agent,
             Desktop& desktop, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool |
                          Qt::WindowDoesNotAcceptFocus),
      Shape1(new QFrame(this)), Label3(makeLabel(this, "Label3")),
      Label1(makeLabel(this, "Label1")), Label2(makeLabel(this, "Label2")),
      Label4(makeLabel(this, "Label4")), Image1(new StripPicture(this)),
      Timer1(makeTimer(this, "Timer1", kTimer1Interval)),
      Timer2(makeTimer(this, "Timer2", kTimer2Interval)),
      Timer3(makeTimer(this, "Timer3", kTimer3Interval)),
      Timer4(makeTimer(this, "Timer4", kTimer4Interval)),
      Timer5(makeTimer(this, "Timer5", kTimer5Interval)), m_state(state), m_corpus(corpus),
      m_store(store), m_agent(agent), m_desktop(desktop), m_messageHandler(showModalMessage),
      m_dragHandles(new DragHandles([this] { Label_MouseDown(); }, [this] { Label_MouseMove(); },
                                    [this] { Label_MouseUp(); }, this)),
      m_stripMark(new QWidget(this))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    // The user keeps typing in their own application while the strip plays.
    setAttribute(Qt::WA_ShowWithoutActivating);
    buildLayout();

    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);
    connect(Timer3, &QTimer::timeout, this, &Form1::Timer3_Timer);
    connect(Timer4, &QTimer::timeout, this, &Form1::Timer4_Timer);
    connect(Timer5, &QTimer::timeout, this, &Form1::Timer5_Timer);
    connect(Image1, &StripPicture::mouseMoved, this, &Form1::Image1_MouseMove);
    for (QLabel* label : {Label1, Label2, Label3, Label4})
        m_dragHandles->watch(label);
}

Form1::~Form1()
{
    delete m_form4;
}

void Form1::buildLayout()
{
    fill(this, stripColor());
    resize(pixelsX(kWindowWidth), pixelsY(kFullHeight));

    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Shape1->setLineWidth(1);
    QPalette outline = Shape1->palette();
    outline.setColor(QPalette::WindowText, kOutlineColor);
    Shape1->setPalette(outline);
    Shape1->setAttribute(Qt::WA_TransparentForMouseEvents);
    placeTwips(Shape1, kShape1);

    const QFont font = captionFont();
    for (QLabel* line : {Label1, Label2}) {
        line->setFont(font);
        QPalette palette = line->palette();
        palette.setColor(QPalette::WindowText, Qt::white);
        line->setPalette(palette);
        line->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        line->setWordWrap(false);
        line->setTextFormat(Qt::PlainText);
    }
    placeTwips(Label1, kLabel1);
    setLabel2Top(kLabel2.top);
    fill(Label3, hairlineColor());
    placeTwips(Label3, kLabel3);
    fill(Label4, stripColor());
    placeTwips(Label4, kLabel4);

    Image1->setObjectName(QStringLiteral("Image1"));
    placeTwips(Image1, kImage1);

    m_stripMark->setObjectName(QStringLiteral("stripMark"));
    m_stripMark->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_stripMark->setAutoFillBackground(true);
    m_stripMark->hide();
}

void Form1::placeTwips(QWidget* widget, const Twips::Rect& place)
{
    widget->setGeometry(
        Twips::toPixels(place, m_desktop.twipsPerPixelX(), m_desktop.twipsPerPixelY()));
}

int Form1::pixelsX(double twips) const
{
    return Twips::toPixels(twips, m_desktop.twipsPerPixelX());
}

int Form1::pixelsY(double twips) const
{
    return Twips::toPixels(twips, m_desktop.twipsPerPixelY());
}

void Form1::Form_Load()
{
    loadCharacter();
    setLeftTwips(m_store.Load_Settings(m_state, m_desktop.screenWidthTwips()));
    move(x(), 0);
    hide();
    placeStartupWindow();

    Timer1->setInterval(kTimer1Interval);
    Timer2->setInterval(kTimer2Interval);
    Timer3->stop();
    Timer4->stop();
    Timer5->stop();
    m_state.gintTick = 0;
    m_state.gintPhase = 0;
    mintStripColor = kFirstStripColor;
    m_state.gintCountdown = kCountdownStart;

    Load_Sentence_Pair();
    makeTopmost();
    Get_Windows_Rect();
    placeCharacter();
    // Started last: a message box during start-up must not let them run
    // before the strip is in place.
    Timer1->start();
    Timer2->start();
}

// An unknown character is not fatal: the tutor goes on without one.
void Form1::loadCharacter()
{
    CharacterCollection& characters = m_agent.Characters();
    if (characters.Load(kCharacterId, QString()))
        mobjAgent = characters.Item(kCharacterId);
    if (!mobjAgent)
        return;
    mobjAgent->Show();
    mobjAgent->setLanguageID(kItalian);
}

void Form1::placeStartupWindow()
{
    constexpr double kAboveCentre = 1800;
    constexpr double kLeftOfCentre = 1000;
    const double top = m_desktop.screenHeightTwips() / 2 - kAboveCentre;
    const double left = m_desktop.screenWidthTwips() / 2 - kLeftOfCentre;
    m_form4 = new Form4(*this);
    m_form4->move(pixelsX(left), pixelsY(top));
    m_form4->show();
}

// Whole twips divided by whole twips per pixel, as the window system is
// handed the strip's size when it is made topmost.
void Form1::makeTopmost()
{
    const auto wholeDiv = [](double twips, double perPixel) {
        const long divisor = std::max(1L, std::lround(perPixel));
        return static_cast<int>(std::lround(twips) / divisor);
    };
    const QRect topmost(pixelsX(m_leftTwips), wholeDiv(0, m_desktop.twipsPerPixelY()),
                        wholeDiv(kWindowWidth, m_desktop.twipsPerPixelX()),
                        wholeDiv(kFullHeight, m_desktop.twipsPerPixelY()));
    if (geometry() != topmost)
        setGeometry(topmost);
    // The stays-on-top flag keeps it above other windows; a shown strip is
    // brought up now as well.
    if (isVisible())
        raise();
}

// Just below the right end of the strip, inside the screen.
void Form1::placeCharacter()
{
    if (!mobjAgent)
        return;
    const QRect screen = m_desktop.screenGeometry();
    const QPoint spot(
        std::clamp(mrctWindow.right() + 1, screen.left(), screen.right()),
        std::clamp(mrctWindow.bottom() + 1 + kCharacterGap, screen.top(), screen.bottom()));
    mobjAgent->MoveTo(spot);
}

void Form1::Get_Windows_Rect()
{
    mlngFullHeight = kFullHeight;
    m_fullHeight = true;
    const QRect pinned(x(), 0, width(), pixelsY(kFullHeight));
    if (geometry() != pinned)
        setGeometry(pinned);
    clearStripMark();
    mrctWindow = frameGeometry();
}

void Form1::Load_Sentence_Pair()
{
    const SentenceScheduler::Choice choice = m_scheduler.next(m_state);
    const std::optional<QString> italian = m_corpus.lookup(choice.sentence);
    const std::optional<QString> english = m_corpus.lookup(Numbering::englishKey(choice.sentence));
    if (italian)
        mstrItalian = *italian;
    if (english)
        mstrEnglish = *english;
    if (!italian || !english) {
        // The display cycle waits while the message is up.
        m_messageOpen = true;
        m_messageHandler(QString::number(choice.sentence));
        m_messageOpen = false;
    }
    if (choice.sequence) {
        Label1->setToolTip(mstrItalian);
        Label2->setToolTip(mstrEnglish);
    }
}

void Form1::setMessageHandler(MessageHandler handler)
{
    m_messageHandler = handler ? std::move(handler) : MessageHandler(showModalMessage);
}

void Form1::setLeftTwips(double twips)
{
    m_leftTwips = twips;
    const int left = pixelsX(twips);
    if (x() != left)
        move(left, y());
}

Form4* Form1::startupWindow() const
{
    return m_form4;
}

Form2& Form1::menuHolder()
{
    if (!m_form2)
        m_form2 = std::make_unique<Form2>(*this);
    return *m_form2;
}

void Form1::activate()
{
    show();
    raise();
    if (mobjAgent)
        mobjAgent->Raise();
}

// ---------------------------------------------------------------- timers

void Form1::Timer1_Timer()
{
    const qint16 c = decrement(m_state.gintCountdown);
    m_state.gintCountdown = c;
    // Only auto-hide and a drag need the pointer. Asking the display server
    // for it 16 times a second regardless was the largest cost of a strip
    // that just stands there.
    if (m_state.gintAutoHide != 0 || mblnDragging != 0)
        mptCursor = m_desktop.cursorPos();
    applyAutoHide(c);
    countdownActions(c);
}

// Open while the welcome runs, while auto-hide is off, while a label is
// held, or while the pointer is in the strip's rectangle and either touches
// the top rows of the screen or finds the strip already open.
void Form1::applyAutoHide(qint16 countdown)
{
    const bool inside = mrctWindow.contains(mptCursor);
    const bool open = countdown > 0 || m_state.gintAutoHide == 0 || mblnDragging != 0 ||
                      (inside && (mptCursor.y() <= kPointerTopRows || m_fullHeight));
    setFullHeight(open);
}

void Form1::countdownActions(qint16 c)
{
    if (c == 0) {
        m_state.gintCountdown = 1; // stays run out
    } else if (c == 1 || c == 2) {
        setCaption(Label1, kCleared);
        if (Image1->isEnabled()) {
            enable(Timer5);
            setCaption(Label1, kCleared);
        }
    } else if (c >= 3 && c <= kWelcomeIndent) {
        setCaption(Label1, kWelcome);
    } else if (c > kWelcomeIndent) {
        if (c <= kStripShownAt) {
            unloadStartupWindow();
            if (!isVisible())
                show();
        }
        setCaption(Label1, indented(c - kWelcomeIndent, kWelcome));
    }
}

void Form1::unloadStartupWindow()
{
    if (m_form4)
        m_form4->unload();
    m_form4 = nullptr;
}

void Form1::Timer2_Timer()
{
    if (!m_fullHeight && mblnDragging == 0)
        drawStripMark(paletteColor(mintStripColor));
    else
        clearStripMark();
    mintStripColor = mintStripColor == kFirstStripColor ? kSecondStripColor : kFirstStripColor;
}

void Form1::Timer3_Timer()
{
    setCaption(Label2, kCleared + mstrEnglish);
    if (m_label2Top > kLabel2Shown) {
        setLabel2Top(m_label2Top - kLabel2Step);
    } else {
        setLabel2Top(kLabel2Shown);
        Timer3->stop();
    }
}

void Form1::Timer4_Timer()
{
    setCaption(Label1, indented(kScrollWidth - mintScrollStep, mstrItalian));
    mintScrollStep = increment(mintScrollStep);
    if (mintScrollStep >= kScrollWidth) {
        mintScrollStep = 0;
        Timer4->stop();
    }
}

void Form1::Timer5_Timer()
{
    if (m_messageOpen)
        return;
    m_state.gintTick = increment(m_state.gintTick);
    // A new pair only between cycles: lowering the repetitions in Settings
    // must not swap the pair under a line that is still showing.
    if (m_state.gintPhase == 0 && m_state.gintCycle >= m_state.gintRepeats) {
        m_state.gintCycle = 0;
        Load_Sentence_Pair();
    }
    const int italianTicks = kTicksPerSecond * m_state.gintItalianTime;
    const int englishTicks = kTicksPerSecond * m_state.gintEnglishTime;
    if (m_state.gintLanguageOrder == 1)
        stepItalianFirst(italianTicks, englishTicks);
    else
        stepEnglishFirst(italianTicks, englishTicks);
}

void Form1::stepItalianFirst(int italianTicks, int englishTicks)
{
    const int tick = m_state.gintTick;
    qint16& phase = m_state.gintPhase;
    switch (phase) {
    case 0:
        enable(Timer4);
        speakAndWave();
        phase = 1;
        break;
    case 1:
        if (tick < 0 || tick >= italianTicks)
            phase = 2;
        break;
    case 2:
        clearItalianLine();
        enable(Timer3);
        phase = 3;
        break;
    case 3:
        if (tick < italianTicks || tick > italianTicks + englishTicks)
            phase = 4;
        break;
    case 4:
        parkEnglishLine();
        endCycle();
        break;
    default:
        break;
    }
}

void Form1::stepEnglishFirst(int italianTicks, int englishTicks)
{
    const int tick = m_state.gintTick;
    qint16& phase = m_state.gintPhase;
    switch (phase) {
    case 0:
        enable(Timer3);
        phase = 1;
        break;
    case 1:
        if (tick < 0 || tick >= englishTicks)
            phase = 2;
        break;
    case 2:
        parkEnglishLine();
        enable(Timer4);
        speakAndWave();
        phase = 3;
        break;
    case 3:
        if (tick < englishTicks || tick > italianTicks + englishTicks)
            phase = 4;
        break;
    case 4:
        clearItalianLine();
        endCycle();
        break;
    default:
        break;
    }
}

// A line's time can end before its animation does when Settings shortened
// it mid-cycle; stop the animation too, or it would bring the line back.
void Form1::clearItalianLine()
{
    Timer4->stop();
    mintScrollStep = 0;
    setCaption(Label1, kCleared);
}

void Form1::parkEnglishLine()
{
    Timer3->stop();
    setCaption(Label2, kCleared);
    setLabel2Top(kLabel2Parked);
}

void Form1::endCycle()
{
    m_state.gintCycle = increment(m_state.gintCycle);
    m_state.gintTick = 0;
    m_state.gintPhase = 0;
}

// Only the Italian line is spoken; the wave comes with every Italian line,
// read aloud or not. Whatever the character does wrong must not stop the
// cycle.
void Form1::speakAndWave()
{
    if (!mobjAgent)
        return;
    try {
        if (m_state.gintReadAloud == 1)
            mobjAgent->Speak(mstrItalian);
    } catch (...) {
    }
    try {
        mobjAgent->Play(QStringLiteral("Wave"));
    } catch (...) {
    }
}

// ---------------------------------------------------------------- placement

void Form1::setFullHeight(bool full)
{
    if (full == m_fullHeight)
        return;
    m_fullHeight = full;
    resize(width(), std::max(1, pixelsY(full ? kFullHeight : kCollapsedHeight)));
    // Opening the strip repaints it, which wipes the collapsed strip's colour.
    if (full)
        clearStripMark();
}

void Form1::setLabel2Top(int twips)
{
    m_label2Top = twips;
    const QRect target(pixelsX(kLabel2.left), pixelsY(twips), pixelsX(kLabel2.width),
                       pixelsY(kLabel2.height));
    if (Label2->geometry() != target)
        Label2->setGeometry(target);
}

// Covers the collapsed strip, from (0, height - 20) to (width, height) twips.
void Form1::drawStripMark(const QColor& color)
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

void Form1::clearStripMark()
{
    m_markColor = QColor();
    if (!m_stripMark->isHidden())
        m_stripMark->hide();
}

// ---------------------------------------------------------------- dragging

void Form1::Label_MouseDown()
{
    mblnDragging = -1;
    mptCursor = m_desktop.cursorPos(); // Timer1 samples it only while it is needed
    const QPoint offset = StripPlacement::dragOffset(mptCursor, mrctWindow);
    mlngDragOffsetX = offset.x();
    mlngDragOffsetY = offset.y();
}

// The window follows the pointer as Timer1 last saw it, at the size captured
// before the drag (the full height).
void Form1::Label_MouseMove()
{
    if (mblnDragging == 0)
        return;
    const QRect target =
        StripPlacement::dragTarget(mptCursor, QPoint(mlngDragOffsetX, mlngDragOffsetY), mrctWindow);
    if (geometry() != target)
        setGeometry(target);
    m_fullHeight = true;
    clearStripMark();
    m_leftTwips = Twips::fromPixels(target.x(), m_desktop.twipsPerPixelX());
}

void Form1::Label_MouseUp()
{
    const float screenWidth = static_cast<float>(m_desktop.screenWidthTwips());
    setLeftTwips(StripPlacement::clampLeft(static_cast<float>(m_leftTwips), screenWidth));
    Get_Windows_Rect();
    mblnDragging = 0;
}

void Form1::Image1_MouseMove()
{
    if (!Image1->isEnabled())
        return;
    const QPoint topRight(pixelsX(StripPlacement::kReachTwips),
                          pixelsY(mlngFullHeight + kMenuBelowStrip));
    menuHolder().popup(mapToGlobal(topRight));
}
