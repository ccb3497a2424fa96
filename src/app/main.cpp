#include "app/MessageBox.h"
#include "app/Startup.h"
#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(wf::kAppTitle));
    // One look on every desktop, so the fixed layout and the yellow button
    // render as designed.
    QApplication::setStyle(QStringLiteral("Fusion"));
    return wf::runWindow();
}
