// A small assert-style harness for the reader's own tests: plain C++, so
// they build with mingw and run under Wine as well as on Linux.
#pragma once
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <vector>

namespace check {

struct Case { const char *name; void (*run)(); };

inline std::vector<Case> cases;
inline std::atomic<int> failures{0};

inline bool failed(const char *file, int line, const char *what)
{
    ++failures;
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    return false;
}

struct Register {
    Register(const char *name, void (*run)()) { cases.push_back({name, run}); }
};

// Runs every case, or those named on the command line; 0 when all passed.
inline int runAll(int argc, char **argv)
{
    int ran = 0;
    for (const Case &c : cases) {
        if (argc > 1 && std::find_if(argv + 1, argv + argc, [&](const char *a) { return !std::strcmp(a, c.name); }) == argv + argc)
            continue;
        const int before = failures;
        c.run();
        std::printf("%s %s\n", failures == before ? "ok  " : "FAIL", c.name);
        ++ran;
    }
    std::printf("%d cases, %d failed checks\n", ran, int(failures));
    return failures == 0 && ran > 0 ? 0 : 1;
}

} // namespace check

#define CHECK(cond) ((cond) ? true : check::failed(__FILE__, __LINE__, #cond))
#define TEST_CASE(name)                                                  \
    static void name();                                                  \
    static const check::Register register_##name(#name, &name);          \
    static void name()
