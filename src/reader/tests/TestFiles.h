// Files for the reader's own tests: a scratch folder, bytes under a UTF-8
// name, the running program's own path, starting another program.
#pragma once
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#if defined(_WIN32)
#include <process.h>
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace testfiles {

namespace fs = std::filesystem;

inline std::string utf8(const fs::path &p) { const auto u = p.u8string(); return std::string(u.begin(), u.end()); }

// A UTF-8 path ("café/Data.Pak") under a folder of the system's temporary
// one that is this program's alone, its folders made; the folder goes when
// the program ends.
inline std::string scratch(const std::string &relative)
{
    static const struct Folder {
        fs::path path = fs::temp_directory_path() / "wfpak-test-0";
        Folder()
        {
            for (int serial = 1; !fs::create_directory(path); ++serial)
                path.replace_filename("wfpak-test-" + std::to_string(serial));
        }
        ~Folder() { std::error_code ignored; fs::remove_all(path, ignored); }
    } folder;
    fs::create_directories((folder.path / fs::u8path(relative)).parent_path());
    return utf8(folder.path / fs::u8path(relative));
}

inline bool writeFile(const std::string &utf8Path, const std::string &bytes)
{
    std::ofstream out(fs::u8path(utf8Path), std::ios::binary);
    return bool(out.write(bytes.data(), std::streamsize(bytes.size())).flush());
}

inline std::string readFile(const std::string &utf8Path)
{
    std::ifstream in(fs::u8path(utf8Path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// fopen by a UTF-8 name.
inline std::FILE *openFile(const std::string &utf8Path)
{
#if defined(_WIN32)
    return _wfopen(fs::u8path(utf8Path).c_str(), L"rb");
#else
    return std::fopen(utf8Path.c_str(), "rb");
#endif
}

// The running program's own file.
inline fs::path selfPath()
{
#if defined(_WIN32)
    wchar_t buffer[32768];
    return std::wstring(buffer, GetModuleFileNameW(nullptr, buffer, 32768));
#else
    return fs::read_symlink("/proc/self/exe");
#endif
}

// Runs a program without arguments; its exit status, or -1.
inline int run(const std::string &utf8Path)
{
#if defined(_WIN32)
    const std::wstring path = fs::u8path(utf8Path).wstring();
    return int(_wspawnl(_P_WAIT, path.c_str(), path.c_str(), nullptr));
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
