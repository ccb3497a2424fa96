#pragma once
// The window's side of the benchmark, run in a child process per run so
// every run starts as the program does: a fresh process in the project
// directory, the same application set-up as main.cpp, Form1 and Form_Load.
//
//   wrenfold_bench --window ACTION DIR
//
// ACTION: startup | selectall | build | build-masked | big
// Prints one line "RESULT key=value ..." on success; exit code 0.

namespace bench {

inline constexpr char kWindowFlag[] = "--window";

int runWindow(int argc, char **argv);

} // namespace bench
