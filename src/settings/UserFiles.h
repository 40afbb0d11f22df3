#pragma once

#include <QByteArray>
#include <QString>

// The learner's own small text files (the settings, the log-on entry), read
// without ever blocking and replaced whole or not at all.
namespace UserFiles {

// $XDG_CONFIG_HOME when it is an absolute path (the base-directory rules say
// to ignore a relative one), else ~/.config; empty without a home folder.
QString configHome();

struct Contents {
    QByteArray bytes;
    // Why the file cannot be read, for the learner; empty when it was read
    // or when there is none.
    QString problem;
    bool exists = false;
    // Something stands there that must not be replaced (a pipe, a device,
    // another user's file, a file that cannot be read). A folder is not such
    // a thing: nothing can be lost by trying.
    bool keep = false;
};

// Reads `path`, following links. A pipe or a device in its place is never
// opened for reading, so nothing can hold the caller up; a file larger than
// `maxBytes` is refused.
Contents read(const QString& path, qint64 maxBytes);

// Replaces `path` with `bytes`: written beside it, checked and flushed to the
// disk, then renamed over it, so a failure leaves the old file as it was. A
// link is followed and stays a link. Returns why it failed, for the learner;
// empty when done.
QString replace(const QString& path, const QByteArray& bytes);

} // namespace UserFiles
