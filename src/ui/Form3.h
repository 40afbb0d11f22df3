#pragma once

#include <QDialog>
#include <array>

class Form1;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QScrollBar;

// "Setting...": the one place where the learner chooses what plays and how.
// Closing the window accepts its state.
class Form3 : public QDialog {
    Q_OBJECT

public:
    explicit Form3(Form1& form1, QWidget* parent = nullptr);
    ~Form3() override;

    void Form_Load();   // fill the controls from the playback state
    void Form_Unload(); // apply, and store under "Save setting while exit"
                        // (runs once, when the window closes)

    void Check1_Click();
    void Check3_Click();
    void Check4_Click();
    void Check5_Click();
    void Option2_Click();
    void VScroll1_Change();
    void VScroll2_Change();
    void VScroll3_Change();

    QGroupBox* const Frame1;
    QGroupBox* const Frame2;
    QGroupBox* const Frame3;
    std::array<QRadioButton*, 11> Option1{};
    std::array<QRadioButton*, 2> Option2{};
    std::array<QRadioButton*, 2> Option3{};
    QLabel* const Label1;
    QLabel* const Label2;
    QLabel* const Label3;
    std::array<QLineEdit*, 3> Text1{};
    QScrollBar* const VScroll1;
    QScrollBar* const VScroll2;
    QScrollBar* const VScroll3;
    QCheckBox* const Check1;
    QCheckBox* const Check3;
    QCheckBox* const Check4;
    QCheckBox* const Check5;

    // Closing by the close box, the window menu or Escape all end here, so
    // the unload steps cannot be skipped.
    void done(int result) override;

private:
    void buildControls();
    void applyTabOrder();

    Form1& m_form1;
    bool m_unloaded = false;
};
