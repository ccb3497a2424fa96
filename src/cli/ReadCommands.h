#pragma once
#include <QStringList>

namespace wf {

// The commands that look inside a pack, built on the game-side reader.
// args[0] is the command's name as its usage text shows it ("wrenfold-pak
// list"); the rest are its arguments. Exit status: 0 sound, 1 not, 2 bad usage.
int listCommand(const QStringList &args);
int verifyCommand(const QStringList &args);
int extractCommand(const QStringList &args);
// Removes every appended pack from an executable: 0 done, 1 refused or failed
// (the file unchanged), 2 bad usage.
int stripCommand(const QStringList &args);

} // namespace wf
