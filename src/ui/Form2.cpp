#include "ui/Form2.h"

#include "agent/Character.h"
#include "app/Desktop.h"
#include "app/Form1.h"
#include "app/StripPicture.h"
#include "app/Twips.h"
#include "settings/SettingsStore.h"
#include "ui/Form3.h"
#include "ui/Form7.h"
#include "ui/ProductInfo.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QMenu>
#include <QUrl>
#include <algorithm>

namespace {

// The read-aloud item names what choosing it will do.
const QString kReadAloudOnFirst = QStringLiteral("&Non Read aloud");
const QString kReadAloudOn = QStringLiteral("Non r&ead aloud");
const QString kReadAloudOff = QStringLiteral("R&ead aloud");

// The Settings dialog opens this far up and left of the screen's centre.
constexpr float kSettingsAboveCentre = 3000.0F;
constexpr float kSettingsLeftOfCentre = 4000.0F;

} // namespace

Form2::Form2(Form1& form1)
    : mnu_file(new QMenu(QStringLiteral("file"), this)),
      mnu_sysset(mnu_file->addAction(QStringLiteral("&Settings..."))),
      mnu_hlp(mnu_file->addAction(kReadAloudOnFirst)),
      mnu_veri(mnu_file->addAction(QStringLiteral("&About..."))), f1(mnu_file->addSeparator()),
      mnu_page(mnu_file->addAction(QStringLiteral("&Website"))),
      mnu_email(mnu_file->addAction(QStringLiteral("E_&mail"))), f2(mnu_file->addSeparator()),
      mnu_exit(mnu_file->addAction(QStringLiteral("Exit"))), m_form1(form1),
      m_exitHandler([] { QCoreApplication::exit(0); })
{
    setObjectName(QStringLiteral("Form2"));
    mnu_file->setObjectName(QStringLiteral("mnu_file"));
    // The popup's own window carries the menu's caption, so tools can find it.
    mnu_file->setWindowTitle(mnu_file->title());
    mnu_sysset->setObjectName(QStringLiteral("mnu_sysset"));
    mnu_hlp->setObjectName(QStringLiteral("mnu_hlp"));
    mnu_veri->setObjectName(QStringLiteral("mnu_veri"));
    f1->setObjectName(QStringLiteral("f1"));
    mnu_page->setObjectName(QStringLiteral("mnu_page"));
    mnu_email->setObjectName(QStringLiteral("mnu_email"));
    f2->setObjectName(QStringLiteral("f2"));
    mnu_exit->setObjectName(QStringLiteral("mnu_exit"));

    connect(mnu_sysset, &QAction::triggered, this, &Form2::mnu_sysset_Click);
    connect(mnu_hlp, &QAction::triggered, this, &Form2::mnu_hlp_Click);
    connect(mnu_veri, &QAction::triggered, this, &Form2::mnu_veri_Click);
    connect(mnu_page, &QAction::triggered, this, &Form2::mnu_page_Click);
    connect(mnu_email, &QAction::triggered, this, &Form2::mnu_email_Click);
    connect(mnu_exit, &QAction::triggered, this, &Form2::mnu_exit_Click);
}

// The dialogs go with the menu holder; an open Settings dialog is dropped
// without applying it, as when the program ends.
Form2::~Form2()
{
    delete m_form3;
    delete m_form7;
}

QPoint Form2::menuTopLeft(const QPoint& globalTopRight, const QSize& menuSize, const QRect& screen)
{
    QPoint topLeft(globalTopRight.x() - menuSize.width(), globalTopRight.y());
    // Kept on the screen: the menu never hangs off an edge.
    topLeft.setX(std::clamp(topLeft.x(), screen.left(),
                            std::max(screen.left(), screen.right() + 1 - menuSize.width())));
    topLeft.setY(std::clamp(topLeft.y(), screen.top(),
                            std::max(screen.top(), screen.bottom() + 1 - menuSize.height())));
    return topLeft;
}

void Form2::popup(const QPoint& globalTopRight)
{
    // A dialog that disabled the menu picture keeps the menu shut, however
    // the call got here.
    if (!m_form1.Image1->isEnabled())
        return;
    mnu_file->ensurePolished();
    const QPoint topLeft =
        menuTopLeft(globalTopRight, mnu_file->sizeHint(), m_form1.desktop().screenGeometry());
    mnu_file->exec(topLeft);
}

void Form2::mnu_sysset_Click()
{
    // Only one dialog: the menu is shut while it is open, but be safe.
    if (m_form3) {
        m_form3->raise();
        m_form3->activateWindow();
        return;
    }
    const Desktop& desktop = m_form1.desktop();
    const QRect screen = desktop.screenGeometry();
    const float top = static_cast<float>(desktop.screenHeightTwips()) / 2 - kSettingsAboveCentre;
    const float left = static_cast<float>(desktop.screenWidthTwips()) / 2 - kSettingsLeftOfCentre;

    m_form3 = new Form3(m_form1, this);
    m_form3->move(screen.left() + Twips::toPixels(left, desktop.twipsPerPixelX()),
                  screen.top() + Twips::toPixels(top, desktop.twipsPerPixelY()));
    m_form3->Form_Load();
    m_form3->show();
}

void Form2::mnu_hlp_Click()
{
    Character* character = m_form1.mobjAgent;
    if (mnu_hlp->text() == kReadAloudOff) {
        if (character)
            character->Show();
        mnu_hlp->setText(kReadAloudOn);
    } else {
        if (character)
            character->Hide();
        mnu_hlp->setText(kReadAloudOff);
    }
}

void Form2::mnu_veri_Click()
{
    if (!m_form7)
        m_form7 = new Form7(m_form1);
    if (!m_form7->isVisible())
        m_form7->Form_Load();
    m_form7->show();
}

// With no browser or mail program the desktop just does nothing; that is
// not worth a message.
void Form2::mnu_page_Click()
{
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(ProductInfo::kWebsite)));
}

void Form2::mnu_email_Click()
{
    QDesktopServices::openUrl(
        QUrl(QStringLiteral("mailto:") + QString::fromLatin1(ProductInfo::kEmailAddress)));
}

void Form2::mnu_exit_Click()
{
    SettingsStore& store = m_form1.store();
    store.Save_Exit_Settings(m_form1.state(), m_form1.leftTwips());
    // The program ends right after this; the values must be on disk first.
    store.flush();
    if (m_exitHandler)
        m_exitHandler();
}

void Form2::setExitHandler(ExitHandler handler)
{
    m_exitHandler = std::move(handler);
}
