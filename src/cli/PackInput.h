#pragma once
// What list, verify and extract share: the key options, opening a pack
// file through the game-side reader, and turning an entry's name into a
// path that stays inside a directory.
#include <wfpak/PakReader.h>
#include <QFile>
#include <QString>
#include <memory>
#include <string>

class QCommandLineParser;

namespace wf {

// The reader's view of an open QFile. It seeks: one thread at a time, as
// the commands read.
class QFileSource final : public wfpak::Source {
public:
    explicit QFileSource(QFile &file) : m_file(file) {}
    std::uint64_t size() const override { return std::uint64_t(m_file.size()); }
    bool readAt(std::uint64_t offset, void *buffer, std::size_t len) const override;

private:
    QFile &m_file;
};

// A pack file opened for reading.
struct PackInput {
    QFile file;
    std::unique_ptr<QFileSource> source;
    wfpak::Pack pack;
};

void printError(const QString &text);

// Adds the options every read command takes: --key and --mask.
void addKeyOptions(QCommandLineParser &parser);
// The key and mask of --key and --mask (a leading "$" allowed); neither
// given: a plain pack. One without the other counts the other as "0".
wfpak::Key keyFromOptions(const QCommandLineParser &parser);

// Parses a command's arguments. True to go on; false when the command ends
// here with `exitStatus`: 0 after --help, 2 after bad usage (message and
// help on standard error).
bool parseArguments(QCommandLineParser &parser, const QStringList &args, int minPositional, int maxPositional,
                    int &exitStatus);

// Opens `path` (a regular file only) and the pack in it: the one the last
// ten bytes name, else a stand-alone pack, else the last trailer found
// searching backwards (then the layout's bytesAfter() says how many bytes
// follow it).
bool openPackInput(const QString &path, const wfpak::Key &key, PackInput &input, QString &error);

// An entry's name for messages: decoded, in double quotes.
QString entryName(const std::string &name);

// The relative path ("gfx/title.bmp") an entry's name ("gfx\title.bmp")
// stands for under a directory, or false and why not: an empty name or
// part, "." or "..", an absolute path, a drive letter or a NUL byte would
// leave the directory or mean nothing there.
bool entryPath(const std::string &name, QString &path, QString &why);

} // namespace wf
