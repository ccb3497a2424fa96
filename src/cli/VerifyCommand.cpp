#include "cli/PackChain.h"
#include "cli/PackInput.h"
#include "cli/ReadCommands.h"
#include "pack/PackFormat.h"
#include "platform/FileSystem.h"
#include "project/ProjectFiles.h"
#include <QCommandLineParser>
#include <QDir>
#include <cstdio>
#include <vector>

namespace wf {

namespace {

class Report {
public:
    void info(const QString &text) { std::printf("  %s\n", qPrintable(text)); }
    void problem(const QString &text)
    {
        std::printf("problem: %s\n", qPrintable(text));
        ++problems;
    }
    int problems = 0;
};

// A filler's length, and no byte above `highest` (the writer never draws one).
void checkFiller(wfpak::Pack &pack, const char *which, quint64 from, quint64 length, int highest, Report &report)
{
    if (length > quint64(kMaxFillerLength))
        report.problem(QStringLiteral("the %1 filler is %2 bytes long; a pack's is at most %3").arg(which).arg(length).arg(kMaxFillerLength));
    std::vector<unsigned char> bytes(std::size_t(qMin<quint64>(length, 1 << 16)));
    for (quint64 done = 0; done < length;) {
        const std::size_t n = std::size_t(qMin<quint64>(bytes.size(), length - done));
        wfpak::ReadError why;
        if (!pack.readRaw(from + done, bytes.data(), n, &why))
            return report.problem(QString::fromStdString(why.text));
        for (std::size_t i = 0; i < n; ++i) {
            if (bytes[i] > highest)
                return report.problem(QStringLiteral("the %1 filler holds the byte %2 at offset %3; its bytes are at "
                                                     "most %4")
                                              .arg(which).arg(bytes[i]).arg(from + done + i).arg(highest));
        }
        done += n;
    }
}

// Members back to back from the leading filler's end, the count word right
// after them; every entry readable.
void checkMembers(wfpak::Pack &pack, Report &report)
{
    const auto &entries = pack.entries();
    quint64 expected = 4 + pack.leadingFiller();
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const wfpak::Entry &e = entries[k];
        if (e.offset != expected)
            report.problem(QStringLiteral("entry %1 (%2) starts at offset %3, not right after the one before it (%4)")
                                   .arg(k + 1).arg(entryName(e.name)).arg(e.offset).arg(expected));
        expected = quint64(e.offset) + e.size;
        wfpak::ReadError why;
        if (!pack.stream(e, [](const unsigned char *, std::size_t) { return true; }, 64 * 1024, &why))
            report.problem(QString::fromStdString(why.text));
        if (const wfpak::Entry *first = pack.find(e.name); first != &e)
            report.problem(QStringLiteral("entry %1 (%2) has the name of entry %3; a game looking it up finds only that one")
                                   .arg(k + 1).arg(entryName(e.name)).arg(first - entries.data() + 1));
    }
    if (!entries.empty() && pack.layout().countPosition != expected + 1)
        report.problem(QStringLiteral("the count word lies at offset %1, not right after the last entry (%2)")
                               .arg(pack.layout().countPosition - 1).arg(expected));
}

// Every entry byte for byte against the file of that name under `dir`.
void compareWithProject(wfpak::Pack &pack, const QString &dir, Report &report)
{
    std::vector<unsigned char> file(1 << 16);
    for (const wfpak::Entry &e : pack.entries()) {
        QString path, why;
        if (!entryPath(e.name, path, why)) {
            report.problem(QStringLiteral("%1 not compared: %2").arg(entryName(e.name), why));
            continue;
        }
        QFile f;
        if (!platform::openRegularFile(f, QDir(dir).filePath(path), false, why)) {
            report.problem(QStringLiteral("%1: no such file in %2 (%3)").arg(entryName(e.name), quotedName(dir), why));
            continue;
        }
        if (f.size() != qint64(e.size)) {
            report.problem(QStringLiteral("%1: %2 bytes in the pack, %3 in %4")
                                   .arg(entryName(e.name)).arg(e.size).arg(f.size()).arg(quotedName(dir)));
            continue;
        }
        quint64 at = 0;
        bool same = true;
        wfpak::ReadError failure;
        const bool read = pack.stream(e, [&](const unsigned char *data, std::size_t n) {
            if (f.read(reinterpret_cast<char *>(file.data()), qint64(n)) != qint64(n))
                return same = false;
            for (std::size_t i = 0; i < n; ++i, ++at) {
                if (data[i] != file[i])
                    return same = false;
            }
            return true;
        }, file.size(), &failure);
        if (!same)
            report.problem(QStringLiteral("%1 differs from the file in %2 at byte %3")
                                   .arg(entryName(e.name), quotedName(dir)).arg(at));
        else if (!read)
            report.problem(QString::fromStdString(failure.text));
    }
}

void describe(const QString &path, const PackInput &input, Report &report)
{
    const wfpak::Layout &l = input.pack.layout();
    std::printf("%s: %s pack of %u entr%s, %llu bytes\n", qPrintable(quotedName(path)),
                l.appended ? "appended" : "stand-alone", unsigned(l.count), l.count == 1 ? "y" : "ies",
                static_cast<unsigned long long>(l.packSize()));
    if (l.appended)
        report.info(QStringLiteral("from offset %1 of the file; trailer word %2 at offset %3")
                            .arg(l.packStart).arg(l.trailerWord).arg(l.packEnd));
    report.info(QStringLiteral("header word %1: the count word at offset %2, the index from %3 to %4")
                        .arg(l.headerWord).arg(l.countPosition - 1).arg(l.indexStart()).arg(l.indexEnd));
    report.info(QStringLiteral("leading filler %1 bytes, trailing filler %2 bytes")
                        .arg(input.pack.leadingFiller()).arg(l.trailingFiller()));
}

} // namespace

int verifyCommand(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Checks a pack's whole structure: header, count, index, every entry inside the pack, the fillers, and "
        "for an executable the trailer and whether anything follows it. With --project, compares every entry "
        "byte for byte with the file of that name in DIR. Exit status 0 when all is sound, 1 otherwise."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Data.Pak, or an executable carrying a pack."));
    addKeyOptions(parser);
    parser.addOption({QStringLiteral("project"), QStringLiteral("The project directory to compare the entries with."),
                      QStringLiteral("DIR")});
    if (int status = 0; !parseArguments(parser, args, 1, 1, status))
        return status;

    const QString path = parser.positionalArguments()[0];
    PackInput input;
    QString error;
    if (!openPackInput(path, keyFromOptions(parser), input, error)) {
        std::printf("problem: %s\n%s: not sound\n", qPrintable(error), qPrintable(quotedName(path)));
        return 1;
    }
    Report report;
    describe(path, input, report);
    if (input.pack.layout().bytesAfter() > 0)
        report.problem(QStringLiteral("%1 bytes follow the trailer (a code signature added after the append?): a game "
                                      "reading the file's last ten bytes will not find the pack")
                               .arg(input.pack.layout().bytesAfter()));
    if (input.pack.layout().appended) {
        const std::string note = stackedPacksNote(*input.source, input.pack.layout().packStart, keyFromOptions(parser));
        if (!note.empty())
            std::printf("warning: %s\n", note.c_str());
    }
    wfpak::Pack &pack = input.pack;
    checkFiller(pack, "leading", 4, pack.leadingFiller(), kLeadingFillerHighest, report);
    checkMembers(pack, report);
    checkFiller(pack, "trailing", pack.layout().indexEnd, pack.layout().trailingFiller(), kTrailingFillerHighest, report);
    if (parser.isSet(QStringLiteral("project")))
        compareWithProject(pack, parser.value(QStringLiteral("project")), report);

    if (report.problems == 0)
        std::printf("%s: sound\n", qPrintable(quotedName(path)));
    else
        std::printf("%s: not sound, %d problem%s\n", qPrintable(quotedName(path)), report.problems,
                    report.problems == 1 ? "" : "s");
    return report.problems == 0 ? 0 : 1;
}

} // namespace wf
