// One block of a file kept for the small reads that follow one another
// through it, as a game loading many small entries in pack order makes:
// one system call per block instead of one per entry. Random reads and
// large ones go straight to the file. One thread uses the block at a time;
// a thread that finds it busy reads directly, so no reader waits for
// another (and no threading library is needed). A pack is not expected to
// change while it is open: the block is not refreshed.
#pragma once
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

namespace wfpak {
namespace detail {

class ReadAhead {
public:
    static constexpr std::size_t kBlock = 256 * 1024;
    static constexpr std::size_t kSmall = 64 * 1024; // larger reads gain nothing from the copy

    // `direct(offset, buffer, len)` reads the file itself; the range lies
    // inside the file's `size` bytes.
    template <class Direct>
    bool read(std::uint64_t offset, void *buffer, std::size_t len, std::uint64_t size, const Direct &direct) const
    {
        if (len >= kSmall || m_busy.test_and_set(std::memory_order_acquire))
            return direct(offset, buffer, len);
        const bool ok = readHeld(offset, static_cast<unsigned char *>(buffer), len, size, direct);
        m_busy.clear(std::memory_order_release);
        return ok;
    }

private:
    template <class Direct>
    bool readHeld(std::uint64_t offset, unsigned char *out, std::size_t len, std::uint64_t size,
                  const Direct &direct) const
    {
        const bool sequential = offset == m_next;
        m_next = offset + len;
        if (offset >= m_start && offset - m_start <= m_filled && len <= m_filled - (offset - m_start)) {
            std::memcpy(out, m_block.get() + (offset - m_start), len);
            return true;
        }
        if (!sequential)
            return direct(offset, out, len);
        if (!m_block)
            m_block.reset(new (std::nothrow) unsigned char[kBlock]);
        const std::size_t n = std::size_t(size - offset < kBlock ? size - offset : kBlock);
        m_filled = 0;
        if (!m_block || !direct(offset, m_block.get(), n))
            return direct(offset, out, len);
        m_start = offset;
        m_filled = n;
        std::memcpy(out, m_block.get(), len);
        return true;
    }

    mutable std::atomic_flag m_busy = ATOMIC_FLAG_INIT;
    mutable std::unique_ptr<unsigned char[]> m_block;
    mutable std::uint64_t m_start = 0;
    mutable std::size_t m_filled = 0;
    mutable std::uint64_t m_next = ~std::uint64_t(0);
};

} // namespace detail
} // namespace wfpak
