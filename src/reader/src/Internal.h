// What the reader's units share; not part of the public headers.
#pragma once
#include <wfpak/PakReader.h>
#include <cstdint>
#include <memory>
#include <string>

namespace wfpak {
namespace detail {

inline bool inside(std::uint64_t offset, std::size_t len, std::uint64_t size)
{
    return offset <= size && len <= size - offset;
}

inline std::string num(std::uint64_t value)
{
    return std::to_string(value);
}

inline std::uint32_t le32(const unsigned char *bytes)
{
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16
           | std::uint32_t(bytes[3]) << 24;
}

// A name as messages show it: quoted, control bytes as '?', long ones cut.
std::string shown(const std::string &name);

// The file at a UTF-8 path, read by position; null and `why` when it
// cannot be opened.
std::unique_ptr<Source> openFileSource(const std::string &path, std::string &why);

} // namespace detail
} // namespace wfpak
