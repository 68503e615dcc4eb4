#include "cli/JsonWriter.h"

#include "app/xml/TextEncoding.h"

#include <cstdio>

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!needComma_.empty()) {
        if (needComma_.back()) text_ += ',';
        needComma_.back() = true;
    }
}

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    text_ += '{';
    needComma_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    text_ += '}';
    needComma_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    text_ += '[';
    needComma_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    text_ += ']';
    needComma_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::Key(const std::string& key) {
    BeforeValue();
    text_ += '"' + Escape(key) + "\":";
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(const std::string& value) {
    BeforeValue();
    text_ += '"' + Escape(value) + '"';
    return *this;
}

JsonWriter& JsonWriter::Int(int64_t value) {
    BeforeValue();
    text_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    text_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null() {
    BeforeValue();
    text_ += "null";
    return *this;
}

std::string JsonWriter::Escape(const std::string& raw) {
    // Stored names may hold any bytes; the document must still be valid UTF-8 JSON.
    const std::string s = TextEncoding::SanitizeUtf8(raw);
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default: {
            // C0, DEL and the C1 controls (C2 80 - C2 9F) are escaped: a script that prints a
            // field must not hand escape sequences to its terminal.
            unsigned code = 0x100;
            if (c < 0x20 || c == 0x7F)
                code = c;
            else if (c == 0xC2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) < 0xA0)
                code = static_cast<unsigned char>(s[++i]);
            if (code < 0x100) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", code);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
        }
    }
    return out;
}
