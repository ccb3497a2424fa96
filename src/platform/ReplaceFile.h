#pragma once
// Replaces a file atomically, as QSaveFile does, but through the name as
// given: QSaveFile makes the name absolute by decoding the current
// directory's path, which for a directory whose path is not valid UTF-8
// leads to another directory (or to none). Here the temporary file, the
// sync and the rename all use the relative name's own bytes.
#include <QFile>
#include <QString>
#include <functional>

namespace wf::platform {

class ReplaceFile {
public:
    explicit ReplaceFile(const QString &name);
    ~ReplaceFile(); // an uncommitted temporary file is removed
    ReplaceFile(const ReplaceFile &) = delete;
    ReplaceFile &operator=(const ReplaceFile &) = delete;

    // Creates the temporary file beside the target (unbuffered, write only),
    // with the target's permissions, or the usual ones for a new file.
    bool open(QString &error);
    QFile &device() { return m_file; }
    // Syncs, closes and renames the temporary file over the target; on
    // failure the target is as it was and the temporary file is gone. The
    // sync runs on a thread of its own while `whileWaiting` (when given) is
    // called every few milliseconds.
    bool commit(QString &error, const std::function<void()> &whileWaiting = {});
    void cancel();

private:
    QByteArray m_name;
    QByteArray m_temp;
    QFile m_file;
};

} // namespace wf::platform
