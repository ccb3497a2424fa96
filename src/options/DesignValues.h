#pragma once
// The options' values before any profile is applied: what the window shows
// at first start, and what a build without a window assumes for a field a
// short profile leaves out.

namespace wf {

inline constexpr const char *kDesignBasicKey = "5D5D5D5D";
inline constexpr const char *kDesignHeaderMask = "5B19C7E4";
inline constexpr const char *kDesignExeName = "Mygame.exe";
// The Basic Key and Header Mask boxes hold at most this many characters;
// a longer text from a profile is cut to it.
inline constexpr int kKeyBoxMaxLength = 10;
// QLineEdit's own limit, which the executable's box keeps.
inline constexpr int kTextBoxMaxLength = 32767;

} // namespace wf
