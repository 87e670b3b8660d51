#pragma once
// Text conversions between UTF-16 (the program's strings), UTF-8 (file names and messages on this
// platform) and Windows-1252, the 8-bit code page the PDF writer writes its text in.

#include <string>
#include <string_view>

namespace qly {

// UTF-16 to Windows-1252, one byte per character: code points that the code page cannot show
// (and unpaired surrogates) become '?', a surrogate pair counts as one character. Characters
// below 0x80 and from 0xA0 to 0xFF map to the same byte value.
std::string toAnsi(std::u16string_view text);
// Windows-1252 to UTF-16, one character per byte; the inverse of toAnsi for the characters the
// code page holds. The five bytes it leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1
// controls of the same value.
std::u16string fromAnsi(std::string_view bytes);

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view text);
// UTF-8 to UTF-16; a malformed byte sequence becomes U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);

} // namespace qly
