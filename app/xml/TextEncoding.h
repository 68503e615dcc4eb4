#pragma once

#include <cstddef>
#include <string>

// Turns the bytes of a text file into UTF-8 the way the program's files have always been read:
// a UTF-8 or UTF-16 byte-order mark decides, valid UTF-8 stays as it is, and anything else is
// taken as an 8-bit Windows (code page 1252) file.
class TextEncoding {
public:
    enum class Kind { Utf8, Utf8Bom, Utf16Le, Utf16Be, Ansi };

    // Which of the kinds above the bytes are. Without a byte-order mark, text that is not valid
    // UTF-8 is Ansi.
    static Kind Detect(const char* data, size_t size);

    // The text as UTF-8 without a byte-order mark. Broken UTF-16 (a lone surrogate, an odd last
    // byte) becomes U+FFFD; nothing is dropped silently. An 8-bit text is read in `charset`
    // (an iconv name such as "GB2312") when one is given and known, else as code page 1252.
    static std::string ToUtf8(const char* data, size_t size, const std::string& charset = "");
    // The same into out, unless the UTF-8 text would be longer than limit bytes: then false
    // with out empty, found out before the converted text is built.
    static bool ToUtf8Within(const char* data, size_t size, const std::string& charset,
                             size_t limit, std::string& out);

    // The encoding named by an XML declaration at the start of the text, or empty.
    static std::string DeclaredEncoding(const char* data, size_t size);

    static bool IsValidUtf8(const char* data, size_t size);
    // The text with every byte that is not part of a valid UTF-8 sequence replaced by U+FFFD.
    static std::string SanitizeUtf8(const std::string& text);

    // Number of code points in valid UTF-8 text (continuation bytes are not counted).
    static size_t CodePointCount(const std::string& text);
    // The first `count` code points of UTF-8 text.
    static std::string CutCodePoints(const std::string& text, size_t count);

    static void AppendUtf8(std::string& out, char32_t codePoint);
};
