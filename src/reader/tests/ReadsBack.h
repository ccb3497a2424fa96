// Checks the reader's tests share: a pack's entries read back whole and
// found by another spelling.
#pragma once
#include "Check.h"
#include "PackMaker.h"
#include <wfpak/PakReader.h>
#include <cctype>
#include <cstdio>

namespace readsback {

using packmaker::Member;

inline wfpak::Key keyFor(bool masked)
{
    return masked ? wfpak::Key::fromTexts(packmaker::kKeyText, packmaker::kMaskText) : wfpak::Key();
}

// Every entry read whole, found by another spelling, and compared.
inline void readsBack(const wfpak::Pack &pack, const std::vector<Member> &members)
{
    if (!CHECK(pack.entries().size() == members.size()))
        return;
    for (std::size_t k = 0; k < members.size(); ++k) {
        const wfpak::Entry &e = pack.entries()[k];
        std::string data(e.size, '\0');
        CHECK(e.name == members[k].name);
        CHECK(pack.read(e, &data[0], data.size()) && data == members[k].data);
        std::string other = e.name;
        for (char &c : other)
            c = c == '\\' ? '/' : char(std::toupper(static_cast<unsigned char>(c)));
        CHECK(pack.find(other) == &e);
    }
}

} // namespace readsback
