#pragma once
#include <QString>
#include <functional>

class QWidget;

namespace wf {

inline constexpr const char *kAppTitle = "Wrenfold";

// The tool's one kind of message: the application's title, the text, an OK
// button and no icon.
void showMessage(QWidget *parent, const QString &text);

// Tests route messages here instead of a modal box, so nothing blocks.
using MessageSink = std::function<void(const QString &)>;
void setMessageSink(MessageSink sink);

} // namespace wf
