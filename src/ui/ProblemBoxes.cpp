#include "ui/ProblemBoxes.h"

#include <QMessageBox>
#include <algorithm>
#include <cstdio>
#include <utility>

void ProblemBoxes::show(const QString& message)
{
    std::fprintf(stderr, "quorvel: %s\n", qPrintable(message));
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("File problem"), message,
                                QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    box->setWindowModality(Qt::NonModal);
    connect(box, &QMessageBox::finished, this, [this, box] { onClosed(box); });
    m_open.insert(box, m_shown++);
    // From the event loop: a problem found while the strip starts is shown
    // once the strip is up.
    QMetaObject::invokeMethod(box, &QWidget::show, Qt::QueuedConnection);
}

void ProblemBoxes::afterClosed(int shown, std::function<void()> then)
{
    m_waitFrom = shown;
    if (m_then || !waitsFor()) {
        m_then = nullptr;
        then();
        return;
    }
    m_then = std::move(then);
}

bool ProblemBoxes::waitsFor() const
{
    return std::any_of(m_open.cbegin(), m_open.cend(),
                       [this](int number) { return number >= m_waitFrom; });
}

void ProblemBoxes::onClosed(QMessageBox* box)
{
    m_open.remove(box);
    if (m_then && !waitsFor())
        std::exchange(m_then, nullptr)();
}
