#include "app/MessageBox.h"
#include <QMessageBox>

namespace wf {

namespace {
MessageSink &sink()
{
    static MessageSink s;
    return s;
}
} // namespace

void setMessageSink(MessageSink s) { sink() = std::move(s); }

void showMessage(QWidget *parent, const QString &text)
{
    if (sink()) {
        sink()(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kAppTitle), text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace wf
