// UTF-8 to code page 932 (Shift-JIS as Windows defines it).
#pragma once

#include <string>
#include <string_view>

namespace hlpgen {

struct Cp932Result {
    bool ok = false;
    std::string bytes;      // the converted text when ok
    std::string problem;    // what could not be converted, in words, when not ok
};

// Converts one piece of text. A character without a code page 932 form, or
// bytes that are not UTF-8, make the result fail and name the culprit.
[[nodiscard]] Cp932Result Utf8ToCp932(std::string_view utf8);

// True when byte i of the text is the first byte of a double-byte character.
[[nodiscard]] bool IsCp932LeadByte(unsigned char byte);

}  // namespace hlpgen
