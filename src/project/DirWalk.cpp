#include "project/DirWalk.h"
#include "platform/FileSystem.h"
#include "project/PathFunctions.h"
#include <QDir>
#include <QFile>
#include <QThread>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace wf {

namespace {
// A row text joins names with backslashes, so a name holding one could not
// be told apart from a path; and a name whose bytes are not UTF-8 decodes
// lossily and could not be opened again. Both are left out.
bool decodeName(QByteArrayView raw, QString &name)
{
    name = QFile::decodeName(raw.toByteArray());
    return !name.contains(QLatin1Char('\\')) && QFile::encodeName(name) == raw;
}

bool plainAscii(QByteArrayView raw)
{
    for (char c : raw)
        if (quint8(c) >= 0x80 || c == '\\')
            return false;
    return true;
}
} // namespace

bool listDirectory(const QString &dir, DirListing &out)
{
    const QString base = dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
    return platform::readDirectory(QFile::encodeName(dir), [&](QByteArrayView raw, bool isDir, bool isLink) {
        if (!isDir && plainAscii(raw)) {
            // The common case, built in one go: a walk makes 100,000 of these.
            QString row;
            row.reserve(out.filePrefix.size() + raw.size());
            row.append(out.filePrefix);
            row.append(QLatin1StringView(raw.data(), raw.size()));
            if (isLink)
                out.links.append(row);
            out.files.append(std::move(row));
            return;
        }
        QString name;
        if (!decodeName(raw, name))
            return;
        if (isDir)
            out.subdirs.append(base + name);
        else
            out.files.append(out.filePrefix + name);
        if (isLink && !isDir)
            out.links.append(out.files.back());
    });
}

void DirWalk(const QString &currDir, const QString &projectDir,
             QStringList &rows, const DirLister &lister, QStringList *links)
{
    // Directories waiting to be read, shared by the threads; a thread that
    // finds none waits while others may still add some, and all stop when
    // the queue is empty and nobody is reading.
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<QString> queue{currDir};
    int reading = 0;
    // Each directory's rows are kept as they come and joined once at the
    // end: a list grown row by row to 100,000 copies itself again and again.
    const auto work = [&](std::vector<QStringList> &found, QStringList &foundLinks) {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return !queue.empty() || reading == 0; });
            if (queue.empty())
                return;
            const QString dir = std::move(queue.back());
            queue.pop_back();
            ++reading;
            lock.unlock();

            // Every row of this directory shares its relative prefix.
            DirListing listing;
            const QString base = dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
            listing.filePrefix = relpath(base + QLatin1Char('x'), projectDir);
            listing.filePrefix.chop(1);
            // An unreadable directory costs its own rows, not the rest of the walk.
            if (lister(dir, listing)) {
                found.push_back(std::move(listing.files));
                foundLinks += std::move(listing.links);
            }

            lock.lock();
            --reading;
            for (QString &sub : listing.subdirs)
                queue.push_back(std::move(sub));
            changed.notify_all();
        }
    };

    const int helpers = qBound(0, QThread::idealThreadCount(), 4) - 1;
    std::vector<std::vector<QStringList>> found(size_t(helpers) + 1);
    std::vector<QStringList> foundLinks(size_t(helpers) + 1);
    std::vector<std::thread> threads;
    for (int i = 1; i <= helpers; ++i)
        threads.emplace_back(work, std::ref(found[size_t(i)]), std::ref(foundLinks[size_t(i)]));
    work(found[0], foundLinks[0]);
    for (std::thread &t : threads)
        t.join();
    qsizetype total = rows.size();
    for (const std::vector<QStringList> &lists : found)
        for (const QStringList &part : lists)
            total += part.size();
    rows.reserve(total);
    for (std::vector<QStringList> &lists : found)
        for (QStringList &part : lists)
            for (QString &row : part)
                rows.append(std::move(row));
    if (links)
        for (QStringList &part : foundLinks)
            *links += std::move(part);
}

std::future<Walked> walkAhead(const QString &dir)
{
    return std::async([dir] {
        Walked w;
        DirWalk(dir, dir, w.rows, listDirectory, &w.links);
        return w;
    });
}

} // namespace wf
