#include "app/xml/XmlDocument.h"

#include "app/xml/TextEncoding.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

XmlDocument::XmlDocument() {
    ResetPos();
}

bool XmlDocument::Load(const std::string& path) {
    Clear();
    // Non-blocking, and checked on the open descriptor: a FIFO or device put in the file's place
    // after the caller looked at it must not hang the reader.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
        static_cast<uintmax_t>(st.st_size) > kMaxFileSize) {
        ::close(fd);
        return false;
    }
    std::string bytes;
    bool ok = true;
    try {
        bytes.resize(static_cast<size_t>(st.st_size));
        size_t done = 0;
        while (ok && done < bytes.size()) {
            ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) ok = n == 0;
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        bytes.resize(done);
        // The file may have grown since fstat: read on, up to the cap.
        char more[65536];
        while (ok && done == static_cast<size_t>(st.st_size)) {
            ssize_t n = ::read(fd, more, sizeof more);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                ok = n == 0;
                break;
            }
            bytes.append(more, static_cast<size_t>(n));
            ok = bytes.size() <= kMaxFileSize;
        }
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    ::close(fd);
    if (!ok) return false;
    return Parse(std::move(bytes));
}

bool XmlDocument::SetDoc(const char* data, size_t size) {
    Clear();
    if (!data || size == 0) return false;
    try {
        return Parse(std::string(data, size));
    } catch (const std::bad_alloc&) {
        Clear();
        return false;
    }
}

void XmlDocument::Clear() {
    doc_.reset();
    text_.clear();
    text_.shrink_to_fit();
    ResetPos();
}

bool XmlDocument::Parse(std::string bytes) {
    if (bytes.empty()) return false;
    try {
        // Conversion happens here rather than in pugixml so that 8-bit files come out as
        // proper UTF-8 instead of raw bytes. UTF-8 is kept as read, and the bytes of any other
        // encoding are freed before parsing, so a file is held at most twice at once.
        switch (TextEncoding::Detect(bytes.data(), bytes.size())) {
        case TextEncoding::Kind::Utf8:
            text_ = std::move(bytes);
            break;
        case TextEncoding::Kind::Utf8Bom:
            bytes.erase(0, 3);
            text_ = std::move(bytes);
            break;
        default:
            // Converted text past the cap is refused before it is built: an 8-bit file of
            // accented letters doubles, and a file this large is none of the program's.
            if (!TextEncoding::ToUtf8Within(
                    bytes.data(), bytes.size(),
                    TextEncoding::DeclaredEncoding(bytes.data(), bytes.size()), kMaxFileSize,
                    text_)) {
                Clear();
                return false;
            }
            bytes = std::string();
            break;
        }
        if (text_.empty()) {
            Clear();
            return false;
        }
        // Parsed in place: the document's strings point into text_, which lives as long as it.
        pugi::xml_parse_result result = doc_.load_buffer_inplace(
            text_.data(), text_.size(), pugi::parse_default, pugi::encoding_utf8);
        if (!result || !doc_.document_element()) {
            Clear();
            return false;
        }
    } catch (const std::bad_alloc&) {
        Clear();
        return false;
    }
    ResetPos();
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

std::string XmlDocument::GetAttrib(const std::string& name, size_t maxCodePoints) const {
    if (!current_) return std::string();
    const char* value = current_.attribute(name.c_str()).value();
    size_t seen = 0;
    size_t end = 0;
    for (; value[end]; ++end) {
        if ((static_cast<unsigned char>(value[end]) & 0xC0) != 0x80) {
            if (seen == maxCodePoints) break;
            ++seen;
        }
    }
    return std::string(value, end);
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
