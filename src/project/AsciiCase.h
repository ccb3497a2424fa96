#pragma once
// ASCII case folding a character at a time. Row texts are nearly always
// ASCII, and folding them this way needs no new strings; anything else
// goes through Qt's full Unicode rules.
#include <QStringView>

namespace wf {

constexpr char16_t asciiUpper(char16_t c)
{
    return c >= u'a' && c <= u'z' ? char16_t(c - (u'a' - u'A')) : c;
}

constexpr char16_t asciiLower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

inline bool isAscii(QStringView s)
{
    for (QChar c : s)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

} // namespace wf
