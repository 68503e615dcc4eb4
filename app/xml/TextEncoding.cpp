#include "app/xml/TextEncoding.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <iconv.h>

namespace {

// Code page 1252 bytes 0x80-0x9F; the unassigned ones map to themselves as C1 controls, the way
// Windows' own conversion does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char32_t kReplacement = 0xFFFD;

std::string Utf16ToUtf8(const unsigned char* data, size_t size, bool littleEndian) {
    std::string out;
    out.reserve(size);
    auto unit = [&](size_t i) -> char16_t {
        return littleEndian ? char16_t(data[i] | (data[i + 1] << 8))
                            : char16_t((data[i] << 8) | data[i + 1]);
    };
    size_t i = 0;
    while (i + 1 < size) {
        char16_t u = unit(i);
        i += 2;
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 < size) {
                char16_t low = unit(i);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    i += 2;
                    TextEncoding::AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) +
                                                      (char32_t(low) - 0xDC00));
                    continue;
                }
            }
            TextEncoding::AppendUtf8(out, kReplacement);
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            TextEncoding::AppendUtf8(out, kReplacement);
        } else {
            TextEncoding::AppendUtf8(out, u);
        }
    }
    if (i < size) TextEncoding::AppendUtf8(out, kReplacement);
    return out;
}

} // namespace

void TextEncoding::AppendUtf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

bool TextEncoding::IsValidUtf8(const char* text, size_t size) {
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    size_t i = 0;
    while (i < size) {
        unsigned char b = s[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        size_t extra;
        char32_t c;
        if (b >= 0xC2 && b <= 0xDF) {
            extra = 1;
            c = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2;
            c = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3;
            c = b & 0x07;
        } else {
            return false;
        }
        if (size - i <= extra) return false;
        for (size_t k = 1; k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) return false;
            c = (c << 6) | (s[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((extra == 2 && c < 0x800) || (extra == 3 && c < 0x10000) || c > 0x10FFFF ||
            (c >= 0xD800 && c <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

std::string TextEncoding::SanitizeUtf8(const std::string& text) {
    if (IsValidUtf8(text.data(), text.size())) return text;
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        // The longest valid sequence starting here is at most four bytes.
        size_t length = 0;
        for (size_t n = 1; n <= 4 && i + n <= text.size(); ++n) {
            if (IsValidUtf8(text.data() + i, n)) {
                length = n;
                break;
            }
        }
        if (length == 0) {
            AppendUtf8(out, kReplacement);
            ++i;
        } else {
            out.append(text, i, length);
            i += length;
        }
    }
    return out;
}

TextEncoding::Kind TextEncoding::Detect(const char* text, size_t size) {
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    if (size >= 3 && s[0] == 0xEF && s[1] == 0xBB && s[2] == 0xBF) return Kind::Utf8Bom;
    if (size >= 2 && s[0] == 0xFF && s[1] == 0xFE) return Kind::Utf16Le;
    if (size >= 2 && s[0] == 0xFE && s[1] == 0xFF) return Kind::Utf16Be;
    // UTF-16 without a mark: an XML or INI file starts with an ASCII character.
    if (size >= 2 && s[0] != 0 && s[1] == 0 && s[0] < 0x80) return Kind::Utf16Le;
    if (size >= 2 && s[0] == 0 && s[1] != 0 && s[1] < 0x80) return Kind::Utf16Be;
    return IsValidUtf8(text, size) ? Kind::Utf8 : Kind::Ansi;
}

std::string TextEncoding::DeclaredEncoding(const char* text, size_t size) {
    std::string head(text, std::min<size_t>(size, 256));
    if (head.rfind("<?xml", 0) != 0) return std::string();
    head = head.substr(0, head.find("?>"));
    size_t at = head.find("encoding");
    if (at == std::string::npos) return std::string();
    at = head.find_first_of("\"'", at);
    if (at == std::string::npos) return std::string();
    size_t end = head.find(head[at], at + 1);
    if (end == std::string::npos) return std::string();
    return head.substr(at + 1, end - at - 1);
}

namespace {

// 8-bit text in a named character set, through iconv; false when the set is unknown or the
// text is not valid in it. Converted in slices, twice: the first run only measures, so that the
// result is allocated once at its exact size (a whole-text buffer of four bytes per input byte
// made a large file cost several times its size).
enum class Converted { Done, NotInSet, TooLong };

Converted ConvertCharset(const char* text, size_t size, const std::string& charset, size_t limit,
                         std::string& out) {
    iconv_t cd = iconv_open("UTF-8", charset.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return Converted::NotInSet;
    bool tooLong = false;
    char slice[16384];
    auto run = [&](std::string* into) -> bool {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(text);
        size_t inLeft = size;
        size_t total = 0;
        while (inLeft > 0) {
            char* dst = slice;
            size_t outLeft = sizeof slice;
            size_t result = iconv(cd, &in, &inLeft, &dst, &outLeft);
            const size_t made = sizeof slice - outLeft;
            total += made;
            if (into) into->append(slice, made);
            // E2BIG only says the slice is full; anything else is a text the set does not hold.
            if (result == static_cast<size_t>(-1) && errno != E2BIG) return false;
            if (result != static_cast<size_t>(-1) && inLeft > 0) return false;
            if (made == 0 && result == static_cast<size_t>(-1)) return false;
        }
        char* dst = slice;
        size_t outLeft = sizeof slice;
        if (iconv(cd, nullptr, nullptr, &dst, &outLeft) == static_cast<size_t>(-1)) return false;
        total += sizeof slice - outLeft;
        if (into) into->append(slice, sizeof slice - outLeft);
        if (!into) {
            tooLong = total > limit;
            if (tooLong) return false;
            out.reserve(total);
        }
        return true;
    };
    out.clear();
    bool ok = run(nullptr) && run(&out);
    iconv_close(cd);
    if (!ok) out.clear();
    return ok ? Converted::Done : tooLong ? Converted::TooLong : Converted::NotInSet;
}

} // namespace

std::string TextEncoding::ToUtf8(const char* text, size_t size, const std::string& charset) {
    std::string out;
    ToUtf8Within(text, size, charset, SIZE_MAX, out);
    return out;
}

bool TextEncoding::ToUtf8Within(const char* text, size_t size, const std::string& charset,
                                size_t limit, std::string& out) {
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    out.clear();
    switch (Detect(text, size)) {
    case Kind::Utf8:
        if (size > limit) return false;
        out.assign(text, size);
        return true;
    case Kind::Utf8Bom:
        // The rest may still be broken; keep it byte for byte, the parsers cope with that.
        if (size - 3 > limit) return false;
        out.assign(text + 3, size - 3);
        return true;
    case Kind::Utf16Le:
    case Kind::Utf16Be: {
        const bool little = Detect(text, size) == Kind::Utf16Le;
        const bool mark = s[0] == (little ? 0xFF : 0xFE);
        out = Utf16ToUtf8(mark ? s + 2 : s, mark ? size - 2 : size, little);
        if (out.size() > limit) {
            out.clear();
            return false;
        }
        return true;
    }
    case Kind::Ansi:
        break;
    }
    if (!charset.empty()) {
        switch (ConvertCharset(text, size, charset, limit, out)) {
        case Converted::Done:
            return true;
        case Converted::TooLong:
            return false;
        case Converted::NotInSet:
            break;
        }
    }
    out.clear();
    // Measured first, so that a large file is allocated once at its converted size, or not at
    // all when it would pass the limit.
    size_t length = 0;
    for (size_t i = 0; i < size; ++i)
        length += s[i] < 0x80 ? 1 : (s[i] < 0xA0 && kCp1252High[s[i] - 0x80] >= 0x800) ? 3 : 2;
    if (length > limit) return false;
    out.reserve(length);
    for (size_t i = 0; i < size; ++i) {
        unsigned char b = s[i];
        if (b < 0x80)
            out += char(b);
        else if (b < 0xA0)
            AppendUtf8(out, kCp1252High[b - 0x80]);
        else
            AppendUtf8(out, b);
    }
    return true;
}

size_t TextEncoding::CodePointCount(const std::string& text) {
    size_t count = 0;
    for (unsigned char b : text)
        if ((b & 0xC0) != 0x80) ++count;
    return count;
}

std::string TextEncoding::CutCodePoints(const std::string& text, size_t count) {
    size_t seen = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (seen == count) return text.substr(0, i);
            ++seen;
        }
    }
    return text;
}
