// Files for the reader's own tests: a scratch folder, writing bytes under a
// UTF-8 name, the running program's own path, starting another program.
#pragma once
#include <filesystem>
#include <fstream>
#include <string>
#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace testfiles {

namespace fs = std::filesystem;

inline std::string utf8(const fs::path &p)
{
    const auto u = p.u8string(); // std::string in C++17
    return std::string(u.begin(), u.end());
}

inline fs::path fromUtf8(const std::string &s)
{
    return fs::u8path(s);
}

// A fresh folder under the system's temporary one, removed at the end.
class ScratchDir {
public:
    ScratchDir()
    {
        static int serial = 0;
        for (;;) {
            m_path = fs::temp_directory_path() / ("wfpak-test-" + std::to_string(unsigned(std::rand())) + "-"
                                                  + std::to_string(++serial));
            if (fs::create_directory(m_path))
                break;
        }
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    ScratchDir(const ScratchDir &) = delete;
    ScratchDir &operator=(const ScratchDir &) = delete;
    // A UTF-8 path under the folder ("café/Data.Pak"), its folders made.
    std::string file(const std::string &relative) const
    {
        const fs::path p = m_path / fromUtf8(relative);
        fs::create_directories(p.parent_path());
        return utf8(p);
    }

private:
    fs::path m_path;
};

inline bool writeFile(const std::string &utf8Path, const std::string &bytes)
{
    std::ofstream out(fromUtf8(utf8Path), std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(out.flush());
}

inline std::string readFile(const std::string &utf8Path)
{
    std::ifstream in(fromUtf8(utf8Path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The running program's own file, as UTF-8.
inline std::string selfPath()
{
#if defined(_WIN32)
    wchar_t buffer[32768];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, DWORD(sizeof buffer / sizeof buffer[0]));
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, buffer, int(n), nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, buffer, int(n), &out[0], bytes, nullptr, nullptr);
    return out;
#else
    return utf8(fs::read_symlink("/proc/self/exe"));
#endif
}

// Runs a program without arguments; its exit status, or -1.
inline int run(const std::string &utf8Path)
{
#if defined(_WIN32)
    std::wstring cmd = L"\"" + fromUtf8(utf8Path).wstring() + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(pi.hProcess, &status);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return int(status);
#else
    const pid_t pid = fork();
    if (pid == 0) {
        execl(utf8Path.c_str(), utf8Path.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

} // namespace testfiles
