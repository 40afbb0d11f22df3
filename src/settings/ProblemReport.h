#pragma once

#include <QSet>
#include <QString>
#include <functional>

// A file the tutor could not read or write is told to the learner once per
// run, naming the file and the reason; the tutor then runs on. How it is
// shown (a message box) is the caller's business.
class ProblemReport {
public:
    using Show = std::function<void(const QString& message)>;

    explicit ProblemReport(Show show) : m_show(std::move(show)) {}

    void report(const QString& file, const QString& message)
    {
        if (m_show && !m_files.contains(file)) {
            m_files.insert(file);
            m_show(message);
        }
    }

private:
    Show m_show;
    QSet<QString> m_files;
};

namespace FileProblems {

// Why `file` cannot be written, as far as the file system tells.
QString whyNotWritable(const QString& file);

} // namespace FileProblems
