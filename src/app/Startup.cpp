#include "app/Startup.h"
#include "app/Form1.h"
#include <QApplication>
#include <QTimer>

namespace wf {

int runWindow()
{
    Form1 window;
    QTimer::singleShot(0, &window, &Form1::Form_Load);
    return QApplication::exec();
}

} // namespace wf
