#include "cli/TerminalText.h"

#include "app/xml/TextEncoding.h"

#include <cstdio>

namespace {

void AppendHex(std::string& out, const char* format, unsigned value) {
    char buf[12];
    std::snprintf(buf, sizeof buf, format, value);
    out += buf;
}

// Length of the valid UTF-8 sequence at text[i], 0 when the byte starts none.
size_t SequenceLength(const std::string& text, size_t i) {
    for (size_t n = 1; n <= 4 && i + n <= text.size(); ++n)
        if (TextEncoding::IsValidUtf8(text.data() + i, n)) return n;
    return 0;
}

} // namespace

std::string TerminalText::Printable(const std::string& text, bool keepLayout) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            if ((b < 0x20 || b == 0x7F) && !(keepLayout && (b == '\n' || b == '\t')))
                AppendHex(out, "\\x%02X", b);
            else
                out += static_cast<char>(b);
            ++i;
            continue;
        }
        size_t n = SequenceLength(text, i);
        if (n == 0) {
            AppendHex(out, "\\x%02X", b);
            ++i;
            continue;
        }
        // U+0080 to U+009F (C2 80 - C2 9F): CSI and the other 8-bit controls.
        const auto second = static_cast<unsigned char>(text[i + 1]);
        if (n == 2 && b == 0xC2 && second < 0xA0)
            AppendHex(out, "\\u%04X", second);
        else
            out.append(text, i, n);
        i += n;
    }
    return out;
}
