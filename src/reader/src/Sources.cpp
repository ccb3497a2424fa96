/*
 * Wrenfold pack reader: sources that read by position, so that any number
 * of threads may read one pack. Copyright (c) 2026 Wrenfold developers.
 * zlib licence: see PakReader.h.
 */
#if !defined(_WIN32) && !defined(_FILE_OFFSET_BITS)
#define _FILE_OFFSET_BITS 64 // 64-bit off_t on 32-bit systems too
#endif
#include "Internal.h"
#include "ReadAhead.h"
#include <cstring>
#include <istream>
#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <io.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace wfpak {

using detail::inside;

namespace {

#if defined(_WIN32)
using Handle = HANDLE;

// ReadFile at an offset: the OVERLAPPED names the position, so no shared
// file pointer decides what is read.
bool readAtHandle(Handle h, std::uint64_t offset, void *buffer, std::size_t len)
{
    char *out = static_cast<char *>(buffer);
    while (len > 0) {
        OVERLAPPED at{};
        at.Offset = DWORD(offset & 0xFFFFFFFFu);
        at.OffsetHigh = DWORD(offset >> 32);
        const DWORD want = DWORD(len < (1u << 30) ? len : (1u << 30));
        DWORD got = 0;
        if (!ReadFile(h, out, want, &got, &at) || got == 0)
            return false;
        out += got;
        offset += got;
        len -= got;
    }
    return true;
}

Handle handleOf(std::FILE *f)
{
    return f ? reinterpret_cast<Handle>(_get_osfhandle(_fileno(f))) : INVALID_HANDLE_VALUE;
}

std::uint64_t sizeOf(Handle h)
{
    LARGE_INTEGER size;
    return h != INVALID_HANDLE_VALUE && GetFileSizeEx(h, &size) && size.QuadPart > 0 ? std::uint64_t(size.QuadPart) : 0;
}
#else
using Handle = int;

bool readAtHandle(Handle fd, std::uint64_t offset, void *buffer, std::size_t len)
{
    char *out = static_cast<char *>(buffer);
    while (len > 0) {
        const ssize_t got = ::pread(fd, out, len, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        out += got;
        offset += std::uint64_t(got);
        len -= std::size_t(got);
    }
    return true;
}

Handle handleOf(std::FILE *f)
{
    return f ? fileno(f) : -1;
}

std::uint64_t sizeOf(Handle fd)
{
    struct stat st;
    return fd >= 0 && fstat(fd, &st) == 0 && st.st_size > 0 ? std::uint64_t(st.st_size) : 0;
}
#endif

// The file openFile opened; closed with it.
class OwnedFile final : public Source {
public:
    OwnedFile(Handle h, std::uint64_t size) : m_handle(h), m_size(size) {}
    ~OwnedFile() override
    {
#if defined(_WIN32)
        CloseHandle(m_handle);
#else
        ::close(m_handle);
#endif
    }
    OwnedFile(const OwnedFile &) = delete;
    OwnedFile &operator=(const OwnedFile &) = delete;
    std::uint64_t size() const override { return m_size; }
    bool readAt(std::uint64_t offset, void *buffer, std::size_t len) const override
    {
        if (!inside(offset, len, m_size))
            return false;
        const auto direct = [this](std::uint64_t at, void *out, std::size_t n) {
            return readAtHandle(m_handle, at, out, n);
        };
        return len == 0 || m_ahead.read(offset, buffer, len, m_size, direct);
    }

private:
    Handle m_handle;
    std::uint64_t m_size;
    detail::ReadAhead m_ahead;
};

} // namespace

std::unique_ptr<Source> detail::openFileSource(const std::string &path, std::string &why)
{
#if defined(_WIN32)
    const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.c_str(), -1, nullptr, 0);
    if (units <= 0) {
        why = "the path is not UTF-8";
        return nullptr;
    }
    std::wstring wide(std::size_t(units), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.c_str(), -1, &wide[0], units);
    const Handle h = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        why = "cannot open it (Windows error " + detail::num(GetLastError()) + ")";
        return nullptr;
    }
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        why = "it is not a regular file";
        return nullptr;
    }
    return std::make_unique<OwnedFile>(h, sizeOf(h));
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        why = std::strerror(errno);
        return nullptr;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        why = "it is not a regular file";
        return nullptr;
    }
    return std::make_unique<OwnedFile>(fd, sizeOf(fd));
#endif
}

bool MemorySource::readAt(std::uint64_t offset, void *buffer, std::size_t len) const
{
    if (!inside(offset, len, m_size))
        return false;
    if (len > 0)
        std::memcpy(buffer, m_data + offset, len);
    return true;
}

FileSource::FileSource(std::FILE *file) : m_file(file), m_size(sizeOf(handleOf(file)))
{
}

bool FileSource::readAt(std::uint64_t offset, void *buffer, std::size_t len) const
{
    if (!m_file || !inside(offset, len, m_size))
        return false;
    return len == 0 || readAtHandle(handleOf(m_file), offset, buffer, len);
}

StreamSource::StreamSource(std::istream &stream) : m_stream(stream)
{
    m_stream.clear();
    m_stream.seekg(0, std::ios::end);
    const std::streamoff end = m_stream.tellg();
    m_size = end > 0 ? std::uint64_t(end) : 0;
}

bool StreamSource::readAt(std::uint64_t offset, void *buffer, std::size_t len) const
{
    if (!inside(offset, len, m_size))
        return false;
    if (len == 0)
        return true;
    m_stream.clear();
    m_stream.seekg(static_cast<std::streamoff>(offset));
    m_stream.read(static_cast<char *>(buffer), static_cast<std::streamsize>(len));
    return m_stream.gcount() == static_cast<std::streamsize>(len);
}

} // namespace wfpak
