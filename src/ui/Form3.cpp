#include "ui/Form3.h"

#include "app/Desktop.h"
#include "app/Form1.h"
#include "app/Twips.h"
#include "content/Numbering.h"
#include "content/Topics.h"
#include "settings/Module1.h"
#include "settings/SettingsStore.h"
#include "ui/RaisingScrollBar.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>

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
constexpr TwipsBox kText1{1380, 4800, 315, 270};
constexpr TwipsBox kVScroll2{1680, 4800, 135, 255};
constexpr TwipsBox kLabel3{240, 5160, 2760, 195};
// "English" is wider than "Italian": the third row's box and bar sit 90 twips
// further right than the second row's, inside the gap of that row's words.
constexpr TwipsBox kText2{1470, 5160, 315, 270};
constexpr TwipsBox kVScroll3{1770, 5160, 135, 255};

constexpr TwipsBox kCheck4{2640, 4440, 1260, 255};
constexpr TwipsBox kCheck3{2640, 4800, 2535, 255};
constexpr TwipsBox kCheck5{2640, 5100, 2475, 255};
constexpr TwipsBox kCheck1{2640, 5460, 2535, 255};

constexpr int kRepeatsMin = 1;
constexpr int kRepeatsMax = 12;
constexpr int kItalianTimeMin = 5;
constexpr int kItalianTimeMax = 15;
constexpr int kEnglishTimeMin = 3;
constexpr int kEnglishTimeMax = 15;

// Below this countdown the start-up sequence no longer starts Timer5 itself.
constexpr qint16 kCountdownStartsCycle = 2;

// The dialog's own face: a small sans serif, so that each row's words and its
// number box fit the twips layout.
constexpr int kFontPointSize = 8;

QFont dialogFont(const QFont& base)
{
    QFont font = base;
    font.setFamilies(
        {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("Helvetica")});
    font.setPointSize(kFontPointSize);
    return font;
}

QLabel* makeLabel(const QString& text, QWidget* parent, const char* name)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

QCheckBox* makeCheck(const QString& text, QWidget* parent, const char* name)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QScrollBar* makeScroll(int minimum, int maximum, QWidget* parent, const char* name)
{
    auto* bar = new RaisingScrollBar(parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setRange(minimum, maximum);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    return bar;
}

QGroupBox* makeFrame(const QString& title, QWidget* parent, const char* name)
{
    auto* frame = new QGroupBox(title, parent);
    frame->setObjectName(QString::fromLatin1(name));
    return frame;
}

// The strip's menu picture; while it is disabled the popup menu stays shut.
void setMenuPictureEnabled(Form1& form1, bool enabled)
{
    if (auto* picture = form1.findChild<QWidget*>(QStringLiteral("Image1")))
        picture->setEnabled(enabled);
}

qint16 ticked(const QCheckBox* box)
{
    return box->isChecked() ? 1 : 0;
}

} // namespace

Form3::Form3(Form1& form1, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      Frame1(makeFrame(QStringLiteral("Play Content"), this, "Frame1")),
      Frame2(makeFrame(QStringLiteral("Play mode"), this, "Frame2")),
      Frame3(makeFrame(QStringLiteral("English and Italian Order"), this, "Frame3")),
      Label1(makeLabel(QStringLiteral("Per sentence play              time."), this, "Label1")),
      Label2(makeLabel(QStringLiteral("Italian Display               second."), this, "Label2")),
      // The third row sets the English time, so it says so.
      Label3(makeLabel(QStringLiteral("English Display               second."), this, "Label3")),
      VScroll1(makeScroll(kRepeatsMin, kRepeatsMax, this, "VScroll1")),
      VScroll2(makeScroll(kItalianTimeMin, kItalianTimeMax, this, "VScroll2")),
      VScroll3(makeScroll(kEnglishTimeMin, kEnglishTimeMax, this, "VScroll3")),
      Check1(makeCheck(QStringLiteral("Save setting while exit"), this, "Check1")),
      Check3(makeCheck(QStringLiteral("Save schedule while exit"), this, "Check3")),
      Check4(makeCheck(QStringLiteral("Auto Hide"), this, "Check4")),
      Check5(makeCheck(QStringLiteral("Start with windows start"), this, "Check5")), m_form1(form1)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Setting..."));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(dialogFont(font()));
    buildControls();
    applyTabOrder();

    connect(Check1, &QCheckBox::toggled, this, &Form3::Check1_Click);
    connect(Check3, &QCheckBox::toggled, this, &Form3::Check3_Click);
    connect(Check4, &QCheckBox::toggled, this, &Form3::Check4_Click);
    connect(Check5, &QCheckBox::toggled, this, &Form3::Check5_Click);
    for (QRadioButton* button : Option2)
        connect(button, &QRadioButton::toggled, this, &Form3::Option2_Click);
    connect(VScroll1, &QScrollBar::valueChanged, this, &Form3::VScroll1_Change);
    connect(VScroll2, &QScrollBar::valueChanged, this, &Form3::VScroll2_Change);
    connect(VScroll3, &QScrollBar::valueChanged, this, &Form3::VScroll3_Change);
}

Form3::~Form3() = default;

void Form3::buildControls()
{
    const Desktop& desktop = m_form1.desktop();
    const double tppX = desktop.twipsPerPixelX();
    const double tppY = desktop.twipsPerPixelY();
    const auto place = [tppX, tppY](QWidget* widget, const TwipsBox& box) {
        widget->setGeometry(Twips::toPixels(box, tppX, tppY));
    };

    setFixedSize(Twips::toPixels(kClientWidth, tppX), Twips::toPixels(kClientHeight, tppY));
    place(Frame1, kFrame1);
    place(Frame2, kFrame2);
    place(Frame3, kFrame3);

    for (int i = 0; i < Topics::kCount; ++i) {
        auto* button = new QRadioButton(Topics::caption(i), Frame1);
        button->setObjectName(QStringLiteral("Option1_%1").arg(i));
        const int top = i == 0 ? kEntireTop : kFirstTopicTop + kTopicPitch * (i - 1);
        place(button, {kTopicLeft, top, kTopicWidths[i], kTopicHeight});
        Option1[i] = button;
    }

    Option2[0] = new QRadioButton(QStringLiteral("at random"), Frame2);
    Option2[1] = new QRadioButton(QStringLiteral("Sequence"), Frame2);
    Option3[0] = new QRadioButton(QStringLiteral("First Italian, then English"), Frame3);
    Option3[1] = new QRadioButton(QStringLiteral("First English, then Italian"), Frame3);
    place(Option2[0], kRandom);
    place(Option2[1], kSequence);
    place(Option3[0], kItalianFirst);
    place(Option3[1], kEnglishFirst);
    for (int i = 0; i < 2; ++i) {
        Option2[i]->setObjectName(QStringLiteral("Option2_%1").arg(i));
        Option3[i]->setObjectName(QStringLiteral("Option3_%1").arg(i));
    }

    // The number boxes only show the scroll bars' values; nothing reads them.
    for (int i = 0; i < 3; ++i) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("Text1_%1").arg(i));
        box->setReadOnly(true);
        box->setAlignment(Qt::AlignCenter);
        box->setTextMargins(0, 0, 0, 0);
        Text1[i] = box;
    }

    place(Label1, kLabel1);
    place(Text1[0], kText0);
    place(VScroll1, kVScroll1);
    place(Label2, kLabel2);
    place(Text1[1], kText1);
    place(VScroll2, kVScroll2);
    place(Label3, kLabel3);
    place(Text1[2], kText2);
    place(VScroll3, kVScroll3);
    // The boxes and the bars sit in the gap inside their row's label.
    for (QWidget* widget : {static_cast<QWidget*>(Text1[0]), static_cast<QWidget*>(VScroll1),
                            static_cast<QWidget*>(Text1[1]), static_cast<QWidget*>(VScroll2),
                            static_cast<QWidget*>(Text1[2]), static_cast<QWidget*>(VScroll3)})
        widget->raise();

    place(Check4, kCheck4);
    place(Check3, kCheck3);
    place(Check5, kCheck5);
    place(Check1, kCheck1);
}

void Form3::applyTabOrder()
{
    const std::array<QWidget*, 15> head{Option1[0], Text1[0],   Text1[1],   Option2[0], Text1[2],
                                        Option3[0], Option2[1], Option3[1], VScroll1,   VScroll2,
                                        VScroll3,   Check3,     Check4,     Check5,     Check1};
    QWidget* previous = nullptr;
    const auto chain = [&previous](QWidget* next) {
        if (previous)
            QWidget::setTabOrder(previous, next);
        previous = next;
    };
    for (QWidget* widget : head)
        chain(widget);
    for (int i = 1; i < Topics::kCount; ++i)
        chain(Option1[i]);
}

void Form3::Form_Load()
{
    PlaybackState& state = m_form1.state();
    // Pause the display cycle and keep the menu shut while the dialog is open;
    // the cycle's tick and phase stay where they are.
    setMenuPictureEnabled(m_form1, false);
    m_form1.Timer5->stop();

    Check1->setChecked(state.gintSaveSettings != 0);
    Check3->setChecked(state.gintSaveSchedule != 0);
    Check4->setChecked(state.gintAutoHide != 0);
    Check5->setChecked(state.gintStartWithWindows != 0);
    // Each value now mirrors its box (a stored 5 reads as ticked, so 1).
    Check1_Click();
    Check3_Click();
    Check4_Click();
    Check5_Click();

    // A value outside a bar's range is shown as the nearest value the bar
    // can hold, so the box and the bar agree.
    VScroll1->setValue(state.gintRepeats);
    VScroll2->setValue(state.gintItalianTime);
    VScroll3->setValue(state.gintEnglishTime);
    VScroll1_Change();
    VScroll2_Change();
    VScroll3_Change();

    Option2[state.gintPlayMode != 0 ? 1 : 0]->setChecked(true);
    Option3[state.gintLanguageOrder == 1 ? 0 : 1]->setChecked(true);
    // A topic with no button selects none; the topic is then kept on close.
    if (state.gintTopic >= 0 && state.gintTopic < Topics::kCount)
        Option1[state.gintTopic]->setChecked(true);
    Option2_Click();
}

void Form3::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    PlaybackState& state = m_form1.state();

    setMenuPictureEnabled(m_form1, true);
    if (state.gintCountdown <= kCountdownStartsCycle)
        m_form1.Timer5->start();

    // Going back to the whole course restarts it, when the schedule is kept.
    if (state.gintTopic != 0 && Check3->isChecked() && Option1[0]->isChecked())
        state.gintNextSentence = Numbering::kCourseStart;

    for (int i = 0; i < Topics::kCount; ++i) {
        if (Option1[i]->isChecked())
            state.gintTopic = static_cast<qint16>(i);
    }
    state.gintPlayMode = Option2[0]->isChecked() ? 0 : 1;
    state.gintLanguageOrder = Option3[0]->isChecked() ? 1 : 0;
    state.gintRepeats = static_cast<qint16>(VScroll1->value());
    state.gintItalianTime = static_cast<qint16>(VScroll2->value());
    state.gintEnglishTime = static_cast<qint16>(VScroll3->value());

    if (state.gintSaveSettings != 0) {
        Module1::Set_Start_With_Windows(state, QCoreApplication::applicationFilePath());
        m_form1.store().Save_Settings(state);
        m_form1.store().flush();
    }
}

void Form3::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}

void Form3::Check1_Click()
{
    m_form1.state().gintSaveSettings = ticked(Check1);
}

void Form3::Check3_Click()
{
    m_form1.state().gintSaveSchedule = ticked(Check3);
}

// Timer1 reads this at every tick, so the strip follows it while the dialog
// is still open.
void Form3::Check4_Click()
{
    m_form1.state().gintAutoHide = ticked(Check4);
}

void Form3::Check5_Click()
{
    m_form1.state().gintStartWithWindows = ticked(Check5);
}

// The schedule is kept only in sequence order; a disabled box keeps its tick.
void Form3::Option2_Click()
{
    Check3->setEnabled(!Option2[0]->isChecked());
}

void Form3::VScroll1_Change()
{
    Text1[0]->setText(QString::number(VScroll1->value()));
}

void Form3::VScroll2_Change()
{
    Text1[1]->setText(QString::number(VScroll2->value()));
}

void Form3::VScroll3_Change()
{
    Text1[2]->setText(QString::number(VScroll3->value()));
}
