#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Builds one JSON document incrementally; commas and escaping are handled here so that command
// code only says what it prints.
class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(const std::string& key);
    JsonWriter& String(const std::string& value);
    JsonWriter& Int(int64_t value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();

    // Shorthands for "key": value inside an object.
    JsonWriter& Field(const std::string& key, const std::string& value) {
        return Key(key).String(value);
    }
    JsonWriter& Field(const std::string& key, const char* value) { return Key(key).String(value); }
    JsonWriter& Field(const std::string& key, int64_t value) { return Key(key).Int(value); }
    JsonWriter& Field(const std::string& key, int value) { return Key(key).Int(value); }
    JsonWriter& Field(const std::string& key, bool value) { return Key(key).Bool(value); }

    const std::string& Text() const { return text_; }
    static std::string Escape(const std::string& s);

private:
    void BeforeValue();
    std::string text_;
    std::vector<bool> needComma_;
    bool afterKey_ = false;
};
