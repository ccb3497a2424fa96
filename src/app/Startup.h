#pragma once

namespace wf {

// Creates the window and runs the program until it closes. The start-up
// runs inside the event loop, so a close asked for while it works always
// ends the program once it is done.
int runWindow();

} // namespace wf
