#include "cli/PackInput.h"
#include "cli/ReadCommands.h"
#include <QCommandLineParser>
#include <cstdio>

namespace wf {

int listCommand(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Lists the entries of a pack, or of the newest pack an executable carries, in index order: "
        "offset<TAB>size<TAB>name, the name as stored (control bytes shown as \\0 or \\xNN)."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Data.Pak, or an executable carrying a pack."));
    addKeyOptions(parser);
    if (int status = 0; !parseArguments(parser, args, 1, 1, status))
        return status;

    PackInput input;
    QString error;
    if (!openPackInput(parser.positionalArguments()[0], keyFromOptions(parser), input, error)) {
        printError(error);
        return 1;
    }
    if (input.pack.layout().bytesAfter() > 0)
        printError(QStringLiteral("note: %1 bytes follow the trailer, so a game reading the file's last ten bytes "
                                  "will not find this pack (wrenfold-pak verify tells more)")
                           .arg(input.pack.layout().bytesAfter()));
    for (const wfpak::Entry &e : input.pack.entries()) {
        std::printf("%u\t%u\t", unsigned(e.offset), unsigned(e.size));
        // The stored bytes, but control bytes escaped (\0, \x1b): a name must
        // neither drive the terminal nor split the line.
        for (const char c : e.name) {
            const unsigned char b = static_cast<unsigned char>(c);
            if (b == 0)
                std::fputs("\\0", stdout);
            else if (b < 0x20 || b == 0x7f)
                std::printf("\\x%02x", unsigned(b));
            else
                std::fputc(c, stdout);
        }
        std::fputc('\n', stdout);
    }
    return 0; // a failed write to standard output is caught when the program ends
}

} // namespace wf
