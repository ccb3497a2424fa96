#include "app/MessageBox.h"
#include "app/Startup.h"
#include "platform/Memory.h"
#include <QApplication>
#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    // The window takes no command line; --version alone is answered, before
    // any window system is needed, so packagers and scripts can ask.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("wrenfold %s\n", WRENFOLD_VERSION);
        return 0;
    }
    wf::platform::keepFreedMemory();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(wf::kAppTitle));
    // One look on every desktop, so the fixed layout and the yellow button
    // render as designed.
    QApplication::setStyle(QStringLiteral("Fusion"));
    return wf::runWindow();
}
