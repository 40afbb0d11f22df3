#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

class Form1;
class Form3;
class Form7;
class QAction;
class QMenu;

// A window that is never shown: it carries the strip's popup menu and runs
// its commands.
class Form2 : public QWidget {
    Q_OBJECT

public:
    explicit Form2(Form1& form1);
    ~Form2() override;

    // Opens the menu with its top-right corner at `globalTopRight` and
    // returns when it closes (the chosen command has then run).
    void popup(const QPoint& globalTopRight);
    // Where a menu of `menuSize` opens so that its top-right corner is at
    // `globalTopRight`, kept inside `screen`.
    static QPoint menuTopLeft(const QPoint& globalTopRight, const QSize& menuSize,
                              const QRect& screen);

    void mnu_sysset_Click(); // Settings dialog
    void mnu_hlp_Click();    // read aloud off / on
    void mnu_veri_Click();   // About
    void mnu_page_Click();   // web page
    void mnu_email_Click();  // e-mail
    void mnu_exit_Click();   // save and end

    // How Exit ends the program; tests replace it.
    using ExitHandler = std::function<void()>;
    void setExitHandler(ExitHandler handler);

    QMenu* const mnu_file;
    QAction* const mnu_sysset;
    QAction* const mnu_hlp;
    QAction* const mnu_veri;
    QAction* const f1;
    QAction* const mnu_page;
    QAction* const mnu_email;
    QAction* const f2;
    QAction* const mnu_exit;

    Form3* settingsDialog() const { return m_form3; }
    Form7* aboutWindow() const { return m_form7; }

private:
    Form1& m_form1;
    ExitHandler m_exitHandler;
    QPointer<Form3> m_form3;
    QPointer<Form7> m_form7;
};
