#include "ui/SettingsDialog.h"

#include "content/Numbering.h"
#include "content/Topics.h"
#include "platform/Desktop.h"
#include "platform/StripSize.h"
#include "platform/Twips.h"
#include "settings/Autostart.h"
#include "settings/PlaybackState.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"
#include "ui/RaisingScrollBar.h"
#include "ui/RowCaption.h"
#include "ui/TitledFrame.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <algorithm>

namespace {

// Positions and sizes in twips, relative to the client area (or to the frame
// for the buttons inside a frame).
using TwipsBox = Twips::Rect;

constexpr int kClientWidth = 5040;
constexpr int kClientHeight = 5835;

constexpr TwipsBox kFrame1{120, 120, 4785, 3135};
constexpr TwipsBox kFrame2{120, 3345, 1875, 855};
constexpr TwipsBox kFrame3{2040, 3360, 2820, 855};

constexpr int kTopicLeft = 240;
constexpr int kTopicHeight = 195;
constexpr int kEntireTop = 285;
constexpr int kFirstTopicTop = 600;
constexpr int kTopicPitch = 240;
// Width of each topic button, by index.
constexpr std::array<int, Topics::kCount> kTopicWidths{1020, 3540, 3300, 3060, 3540, 2820,
                                                       2460, 2580, 2220, 2100, 1980};

constexpr TwipsBox kRandom{120, 240, 1335, 285};
constexpr TwipsBox kSequence{135, 495, 1095, 285};
constexpr TwipsBox kItalianFirst{135, 225, 2310, 285};
constexpr TwipsBox kEnglishFirst{135, 495, 2310, 285};

constexpr TwipsBox kLabel1{240, 4440, 2640, 195};
constexpr TwipsBox kText0{1620, 4400, 315, 270};
constexpr TwipsBox kVScroll1{1920, 4400, 135, 255};
constexpr TwipsBox kLabel2{240, 4800, 2880, 195};
constexpr TwipsBox kLabel3{240, 5160, 2760, 195};
constexpr TwipsBox kText1{1380, 4800, 315, 270};
constexpr TwipsBox kVScroll2{1680, 4800, 135, 255};
constexpr TwipsBox kText2{1380, 5160, 315, 270};
constexpr TwipsBox kVScroll3{1680, 5160, 135, 255};
// A row's last word ("time.", "second.") follows its bar by this much, so
// the English row's word stays clear of the check box beside it.
constexpr int kTailGap = 90;

constexpr TwipsBox kCheck4{2640, 4440, 1260, 255};
constexpr TwipsBox kCheck3{2640, 4800, 2535, 255};
constexpr TwipsBox kCheck5{2640, 5100, 2475, 255};
constexpr TwipsBox kCheck1{2640, 5460, 2535, 255};

// The dialog's own face: a small sans serif, so that each row's words and its
// number box fit the twips layout.
constexpr int kFontPointSize = 8;
// On a screen too small for it the dialog shrinks, but not past legibility.
// Its words shrink a little more, as small sizes of a font run wider.
constexpr double kSmallestScale = 0.5;
constexpr double kWordsScale = 0.95;

QFont dialogFont(const QFont& base)
{
    QFont font = base;
    font.setFamilies(
        {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("Helvetica")});
    font.setPointSize(kFontPointSize);
    return font;
}

RowCaption* makeCaption(const QString& text, QWidget* parent, const char* name)
{
    auto* caption = new RowCaption(text, parent);
    caption->setObjectName(QString::fromLatin1(name));
    return caption;
}

QCheckBox* makeCheck(const QString& text, QWidget* parent, const char* name)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

// A bar ranges over the values its setting accepts.
QScrollBar* makeScroll(const SettingKey& key, QWidget* parent, const char* name)
{
    auto* bar = new RaisingScrollBar(parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setRange(key.minimum, key.maximum);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    return bar;
}

QGroupBox* makeFrame(const QString& title, QWidget* parent, const char* name)
{
    auto* frame = new TitledFrame(title, parent);
    frame->setObjectName(QString::fromLatin1(name));
    return frame;
}

// The twips heights were made for smaller indicators than today's styles
// draw, so a button too short for its circle or box grows by the same amount
// above and below: the indicator is whole and the text keeps its line.
void fitIndicator(QAbstractButton* button, QStyle::PixelMetric indicatorHeight)
{
    const int shortBy =
        button->style()->pixelMetric(indicatorHeight, nullptr, button) - button->height();
    if (shortBy <= 0)
        return;
    const int half = (shortBy + 1) / 2;
    button->setGeometry(button->geometry().adjusted(0, -half, 0, half));
}

qint16 ticked(const QCheckBox* box)
{
    return box->isChecked() ? 1 : 0;
}

} // namespace

SettingsDialog::SettingsDialog(PlaybackState& state, SettingsStore& store, const Desktop& desktop,
                               QWidget* parent)
    // A title bar and a close box only.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_state(state), m_store(store), m_desktop(desktop),
      m_contentFrame(makeFrame(QStringLiteral("Play Content"), this, "Frame1")),
      m_modeFrame(makeFrame(QStringLiteral("Play mode"), this, "Frame2")),
      m_orderFrame(makeFrame(QStringLiteral("English and Italian Order"), this, "Frame3")),
      m_repeatsCaption(
          makeCaption(QStringLiteral("Per sentence play              time."), this, "Label1")),
      m_italianCaption(
          makeCaption(QStringLiteral("Italian Display               second."), this, "Label2")),
      // The third row sets the English time, so it says so.
      m_englishCaption(
          makeCaption(QStringLiteral("English Display               second."), this, "Label3")),
      m_repeatsBar(makeScroll(SettingKeys::find("n"), this, "VScroll1")),
      m_italianBar(makeScroll(SettingKeys::find("etime"), this, "VScroll2")),
      m_englishBar(makeScroll(SettingKeys::find("ctime"), this, "VScroll3")),
      m_saveSettings(makeCheck(QStringLiteral("Save setting while exit"), this, "Check1")),
      m_saveSchedule(makeCheck(QStringLiteral("Save schedule while exit"), this, "Check3")),
      m_autoHide(makeCheck(QStringLiteral("Auto Hide"), this, "Check4")),
      m_startAtLogon(makeCheck(QStringLiteral("Start with windows start"), this, "Check5"))
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Setting..."));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(dialogFont(font()));
    buildControls();
    applyTabOrder();

    for (QCheckBox* box : {m_saveSettings, m_saveSchedule, m_autoHide, m_startAtLogon})
        connect(box, &QCheckBox::toggled, this, &SettingsDialog::syncCheckBoxes);
    for (QRadioButton* button : m_modes)
        connect(button, &QRadioButton::toggled, this, &SettingsDialog::updateScheduleBox);
    for (QScrollBar* bar : {m_repeatsBar, m_italianBar, m_englishBar})
        connect(bar, &QScrollBar::valueChanged, this, &SettingsDialog::syncNumbers);
}

SettingsDialog::~SettingsDialog() = default;

QRect SettingsDialog::room(const Desktop& desktop)
{
    const QRect area = desktop.availableGeometry();
    const int strip = Twips::toPixels(StripSize::kFullHeightTwips, desktop.twipsPerPixelY());
    return area.adjusted(0, std::min(strip, area.height() - 1), 0, 0);
}

int SettingsDialog::titleBarHeight() const
{
    return style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
}

void SettingsDialog::buildControls()
{
    // A screen too small for the layout gets all of it a little smaller,
    // words included, so that the close box stays in reach.
    const QRect space = room(m_desktop);
    const double fit = std::min(
        {1.0,
         double(space.height() - titleBarHeight()) /
             Twips::toPixels(kClientHeight, m_desktop.twipsPerPixelY()),
         double(space.width()) / Twips::toPixels(kClientWidth, m_desktop.twipsPerPixelX())});
    const double scale = std::max(fit, kSmallestScale);
    if (scale < 1.0) {
        QFont smaller = font();
        smaller.setPointSizeF(smaller.pointSizeF() * scale * kWordsScale);
        setFont(smaller);
    }
    const double tppX = m_desktop.twipsPerPixelX() / scale;
    const double tppY = m_desktop.twipsPerPixelY() / scale;
    const auto place = [tppX, tppY](QWidget* widget, const TwipsBox& box) {
        widget->setGeometry(Twips::toPixels(box, tppX, tppY));
    };

    setFixedSize(Twips::toPixels(kClientWidth, tppX), Twips::toPixels(kClientHeight, tppY));
    place(m_contentFrame, kFrame1);
    place(m_modeFrame, kFrame2);
    place(m_orderFrame, kFrame3);

    for (int i = 0; i < Topics::kCount; ++i) {
        auto* button = new QRadioButton(Topics::caption(i), m_contentFrame);
        button->setObjectName(QStringLiteral("Option1_%1").arg(i));
        const int top = i == 0 ? kEntireTop : kFirstTopicTop + kTopicPitch * (i - 1);
        place(button, {kTopicLeft, top, kTopicWidths[i], kTopicHeight});
        m_topics[i] = button;
    }

    m_modes[0] = new QRadioButton(QStringLiteral("at random"), m_modeFrame);
    m_modes[1] = new QRadioButton(QStringLiteral("Sequence"), m_modeFrame);
    m_orders[0] = new QRadioButton(QStringLiteral("First Italian, then English"), m_orderFrame);
    m_orders[1] = new QRadioButton(QStringLiteral("First English, then Italian"), m_orderFrame);
    place(m_modes[0], kRandom);
    place(m_modes[1], kSequence);
    place(m_orders[0], kItalianFirst);
    place(m_orders[1], kEnglishFirst);
    for (int i = 0; i < 2; ++i) {
        m_modes[i]->setObjectName(QStringLiteral("Option2_%1").arg(i));
        m_orders[i]->setObjectName(QStringLiteral("Option3_%1").arg(i));
    }

    // The number boxes only show the scroll bars' values; nothing reads them.
    for (int i = 0; i < 3; ++i) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("Text1_%1").arg(i));
        box->setReadOnly(true);
        box->setAlignment(Qt::AlignCenter);
        box->setTextMargins(0, 0, 0, 0);
        m_numbers[i] = box;
    }

    place(m_repeatsCaption, kLabel1);
    place(m_numbers[0], kText0);
    place(m_repeatsBar, kVScroll1);
    place(m_italianCaption, kLabel2);
    place(m_numbers[1], kText1);
    place(m_italianBar, kVScroll2);
    place(m_englishCaption, kLabel3);
    place(m_numbers[2], kText2);
    place(m_englishBar, kVScroll3);
    // A row's first words end a blank before its box; its last words
    // follow its bar.
    const auto placeWords = [tppX](RowCaption* caption, const TwipsBox& label, const TwipsBox& box,
                                   const TwipsBox& bar) {
        const int left = Twips::toPixels(label.left, tppX);
        caption->setHeadEnd(Twips::toPixels(box.left, tppX) - left -
                            caption->fontMetrics().horizontalAdvance(QLatin1Char(' ')));
        caption->setTailLeft(Twips::toPixels(bar.left + bar.width + kTailGap, tppX) - left);
    };
    placeWords(m_repeatsCaption, kLabel1, kText0, kVScroll1);
    placeWords(m_italianCaption, kLabel2, kText1, kVScroll2);
    placeWords(m_englishCaption, kLabel3, kText2, kVScroll3);
    // A box and its bar are named after their row: the caption beside them
    // is no buddy a screen reader could find, and it holds a run of blanks.
    const std::array<QString, 3> rowNames{QStringLiteral("Per sentence play, times"),
                                          QStringLiteral("Italian display, seconds"),
                                          QStringLiteral("English display, seconds")};
    const std::array<QScrollBar*, 3> bars{m_repeatsBar, m_italianBar, m_englishBar};
    for (std::size_t i = 0; i < rowNames.size(); ++i) {
        m_numbers[i]->setAccessibleName(rowNames[i]);
        bars[i]->setAccessibleName(rowNames[i]);
    }
    // The boxes and the bars sit in the gap inside their row's label.
    for (QWidget* widget : std::initializer_list<QWidget*>{
             m_numbers[0], m_repeatsBar, m_numbers[1], m_italianBar, m_numbers[2], m_englishBar})
        widget->raise();

    place(m_autoHide, kCheck4);
    place(m_saveSchedule, kCheck3);
    place(m_startAtLogon, kCheck5);
    place(m_saveSettings, kCheck1);

    for (QRadioButton* button : findChildren<QRadioButton*>())
        fitIndicator(button, QStyle::PM_ExclusiveIndicatorHeight);
    for (QCheckBox* box : findChildren<QCheckBox*>())
        fitIndicator(box, QStyle::PM_IndicatorHeight);
}

void SettingsDialog::applyTabOrder()
{
    const std::array<QWidget*, 15> head{m_topics[0],  m_numbers[0],   m_numbers[1],  m_modes[0],
                                        m_numbers[2], m_orders[0],    m_modes[1],    m_orders[1],
                                        m_repeatsBar, m_italianBar,   m_englishBar,  m_saveSchedule,
                                        m_autoHide,   m_startAtLogon, m_saveSettings};
    QWidget* previous = nullptr;
    const auto chain = [&previous](QWidget* next) {
        if (previous)
            QWidget::setTabOrder(previous, next);
        previous = next;
    };
    for (QWidget* widget : head)
        chain(widget);
    for (int i = 1; i < Topics::kCount; ++i)
        chain(m_topics[i]);
}

void SettingsDialog::load()
{
    Q_EMIT opened();
    // Read before any box is set: setting one syncs them all.
    const PlaybackState stored = m_state;
    m_saveSettings->setChecked(stored.saveSettings != 0);
    m_saveSchedule->setChecked(stored.saveSchedule != 0);
    m_autoHide->setChecked(stored.autoHide != 0);
    m_startAtLogon->setChecked(stored.startWithLogon != 0);
    // Each value now mirrors its box (a stored 5 reads as ticked, so 1).
    syncCheckBoxes();

    // A value outside a bar's range is shown as the nearest value the bar
    // can hold, so the box and the bar agree.
    m_repeatsBar->setValue(m_state.repeats);
    m_italianBar->setValue(m_state.italianTime);
    m_englishBar->setValue(m_state.englishTime);
    syncNumbers();

    m_modes[m_state.playMode != 0 ? 1 : 0]->setChecked(true);
    m_orders[m_state.languageOrder == 1 ? 0 : 1]->setChecked(true);
    // A topic with no button selects none; the topic is then kept on close.
    if (m_state.topic >= 0 && m_state.topic < Topics::kCount) {
        m_topics[m_state.topic]->setChecked(true);
        // The keys start on the chosen topic: on another one, a Space would
        // change the topic by accident.
        m_topics[m_state.topic]->setFocus();
    }
    updateScheduleBox();
}

void SettingsDialog::apply()
{
    if (m_applied)
        return;
    m_applied = true;

    // Going back to the whole course restarts it, when the schedule is kept.
    if (m_state.topic != 0 && m_saveSchedule->isChecked() && m_topics[0]->isChecked())
        m_state.nextSentence = Numbering::kCourseStart;

    for (int i = 0; i < Topics::kCount; ++i) {
        if (m_topics[i]->isChecked())
            m_state.topic = static_cast<qint16>(i);
    }
    m_state.playMode = m_modes[0]->isChecked() ? 0 : 1;
    m_state.languageOrder = m_orders[0]->isChecked() ? 1 : 0;
    m_state.repeats = static_cast<qint16>(m_repeatsBar->value());
    m_state.italianTime = static_cast<qint16>(m_italianBar->value());
    m_state.englishTime = static_cast<qint16>(m_englishBar->value());

    if (m_state.saveSettings != 0) {
        if (const QString problem =
                Autostart::apply(m_state, QCoreApplication::applicationFilePath());
            !problem.isEmpty())
            Q_EMIT autostartFailed(problem);
        m_store.saveSettings(m_state);
        m_store.flush();
    }
    Q_EMIT closed();
}

// Some window managers offer minimize whatever the dialog asks for. Out of
// sight it would hold playback with nothing to show why, so minimizing it
// closes it, the choices applied as on any close.
void SettingsDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        QMetaObject::invokeMethod(this, &QDialog::close, Qt::QueuedConnection);
}

void SettingsDialog::done(int result)
{
    apply();
    QDialog::done(result);
}

// The strip reads auto-hide at every tick, so it follows the box while the
// dialog is still open.
void SettingsDialog::syncCheckBoxes()
{
    m_state.saveSettings = ticked(m_saveSettings);
    m_state.saveSchedule = ticked(m_saveSchedule);
    m_state.autoHide = ticked(m_autoHide);
    m_state.startWithLogon = ticked(m_startAtLogon);
}

// The schedule is kept only in sequence order; a disabled box keeps its tick.
void SettingsDialog::updateScheduleBox()
{
    m_saveSchedule->setEnabled(!m_modes[0]->isChecked());
}

void SettingsDialog::syncNumbers()
{
    const std::array<const QScrollBar*, 3> bars{m_repeatsBar, m_italianBar, m_englishBar};
    for (std::size_t i = 0; i < bars.size(); ++i)
        m_numbers[i]->setText(QString::number(bars[i]->value()));
}
