#include "cp932.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace hlpgen {
namespace {

// Decodes one UTF-8 sequence at `pos`; advances `pos`. Empty when malformed.
std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    int extra = 0;
    char32_t code = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        code = lead & 0x07;
    } else {
        return std::nullopt;
    }
    if (pos + extra >= text.size()) return std::nullopt;
    for (int i = 1; i <= extra; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        code = (code << 6) | (next & 0x3F);
    }
    pos += extra + 1;
    return code;
}

std::string EncodeUtf8(char32_t code) {
    std::string out;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

#ifdef _WIN32
// One character through the system's code page 932 table, refusing the
// "best fit" substitutions Windows would otherwise make silently.
std::optional<std::string> ConvertOne(char32_t code) {
    wchar_t wide[2];
    int wideLength = 1;
    if (code >= 0x10000) {
        wide[0] = static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
        wide[1] = static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        wideLength = 2;
    } else {
        wide[0] = static_cast<wchar_t>(code);
    }
    char out[8];
    BOOL usedDefault = FALSE;
    const int written = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, wideLength, out,
                                            sizeof out, nullptr, &usedDefault);
    if (written <= 0 || usedDefault) return std::nullopt;
    return std::string(out, written);
}
#else
// RAII holder of the conversion descriptor, opened once per run.
class Cp932Iconv {
public:
    Cp932Iconv() : handle_(iconv_open("CP932", "UTF-8")) {}
    ~Cp932Iconv() {
        if (Valid()) iconv_close(handle_);
    }
    Cp932Iconv(const Cp932Iconv&) = delete;
    Cp932Iconv& operator=(const Cp932Iconv&) = delete;
    [[nodiscard]] bool Valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    [[nodiscard]] iconv_t Get() const { return handle_; }

private:
    iconv_t handle_;
};

std::optional<std::string> ConvertOne(char32_t code) {
    static Cp932Iconv converter;
    if (!converter.Valid()) throw std::runtime_error("the system offers no CP932 conversion (iconv)");
    std::string in = EncodeUtf8(code);
    char out[8];
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char* outPtr = out;
    std::size_t outLeft = sizeof out;
    iconv(converter.Get(), nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter.Get(), &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
        return std::nullopt;
    }
    return std::string(out, sizeof out - outLeft);
}
#endif

std::string Describe(char32_t code) {
    char number[16];
    std::snprintf(number, sizeof number, "U+%04X", static_cast<unsigned>(code));
    return std::string("character ") + number + " '" + EncodeUtf8(code) + "' has no Shift-JIS (CP932) form";
}

}  // namespace

bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

Cp932Result Utf8ToCp932(std::string_view utf8) {
    Cp932Result result;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const auto code = DecodeUtf8(utf8, pos);
        if (!code) {
            result.problem = "the text is not valid UTF-8";
            return result;
        }
        if (*code < 0x80) {
            result.bytes += static_cast<char>(*code);
            continue;
        }
        const auto converted = ConvertOne(*code);
        if (!converted) {
            result.problem = Describe(*code);
            return result;
        }
        result.bytes += *converted;
    }
    result.ok = true;
    return result;
}

}  // namespace hlpgen
