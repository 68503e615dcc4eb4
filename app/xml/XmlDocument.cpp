#include "app/xml/XmlDocument.h"

#include "app/xml/TextEncoding.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <sstream>

XmlDocument::XmlDocument() {
    ResetPos();
}

bool XmlDocument::Load(const std::string& path) {
    std::error_code ec;
    auto size = std::filesystem::file_size(path, ec);
    std::ifstream in(path, std::ios::binary);
    if (ec || size > kMaxFileSize || !in) {
        SetDoc(nullptr, 0);
        return false;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        SetDoc(nullptr, 0);
        return false;
    }
    return SetDoc(bytes.data(), bytes.size());
}

bool XmlDocument::SetDoc(const char* data, size_t size) {
    doc_.reset();
    ResetPos();
    if (!data || size == 0) return false;
    try {
        // Conversion happens here rather than in pugixml so that 8-bit files come out as
        // proper UTF-8 instead of raw bytes.
        std::string text =
            TextEncoding::ToUtf8(data, size, TextEncoding::DeclaredEncoding(data, size));
        pugi::xml_parse_result result =
            doc_.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
        if (!result || !doc_.document_element()) {
            doc_.reset();
            return false;
        }
    } catch (const std::bad_alloc&) {
        doc_.reset();
        return false;
    }
    return true;
}

void XmlDocument::ResetPos() {
    parent_ = doc_;
    current_ = pugi::xml_node();
}

pugi::xml_node XmlDocument::NextElement(pugi::xml_node from, const std::string& name) const {
    for (pugi::xml_node n = from; n; n = n.next_sibling()) {
        if (n.type() != pugi::node_element) continue;
        if (name.empty() || name == n.name()) return n;
    }
    return pugi::xml_node();
}

bool XmlDocument::FindElem(const std::string& name) {
    pugi::xml_node start = current_ ? current_.next_sibling() : parent_.first_child();
    pugi::xml_node found = NextElement(start, name);
    if (!found) return false;
    current_ = found;
    return true;
}

bool XmlDocument::IntoElem() {
    if (!current_) return false;
    parent_ = current_;
    current_ = pugi::xml_node();
    return true;
}

bool XmlDocument::OutOfElem() {
    if (parent_ == doc_) return false;
    current_ = parent_;
    parent_ = parent_.parent();
    return true;
}

std::string XmlDocument::GetAttrib(const std::string& name) const {
    if (!current_) return std::string();
    return current_.attribute(name.c_str()).value();
}

std::string XmlDocument::GetTagName() const {
    return current_ ? std::string(current_.name()) : std::string();
}

bool XmlDocument::AddElem(const std::string& name) {
    if (name.empty()) return false;
    if (parent_ == doc_ && doc_.document_element()) return false;
    try {
        pugi::xml_node added = current_ ? parent_.insert_child_after(name.c_str(), current_)
                                        : parent_.append_child(name.c_str());
        if (!added) return false;
        current_ = added;
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool XmlDocument::SetAttrib(const std::string& name, const std::string& value) {
    if (!current_ || name.empty()) return false;
    try {
        pugi::xml_attribute a = current_.attribute(name.c_str());
        if (!a) a = current_.append_attribute(name.c_str());
        // Whatever the caller holds, the file stays UTF-8 so that it reads back as such.
        return a && a.set_value(TextEncoding::SanitizeUtf8(value).c_str());
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool XmlDocument::SetAttrib(const std::string& name, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return SetAttrib(name, std::string(text));
}

std::string XmlDocument::GetDoc() const {
    std::ostringstream body;
    doc_.save(body, "\t", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
    // The writer escapes line breaks inside attribute values, so every newline here is layout:
    // give the whole file the CR LF line ends its declaration line has.
    std::string out = kDeclaration;
    for (char c : body.str()) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

bool XmlDocument::Save(const std::string& path) const {
    std::string text = GetDoc();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return !out.fail();
}
