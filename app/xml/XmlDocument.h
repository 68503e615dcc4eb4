#pragma once

#include <pugixml.hpp>

#include <cstddef>
#include <string>

// An XML document read and written through a cursor, the way the program's file code walks its
// files: a parent element and a current child among its children. Finding moves forward over the
// following siblings only and keeps the position when nothing matches, so readers see elements
// in file order. All text is UTF-8; every value the program reads or writes is an attribute.
class XmlDocument {
public:
    XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;
    virtual ~XmlDocument() = default;

    // Reads and parses a file (UTF-8 with or without a mark, UTF-16 with a mark, or an 8-bit
    // file in the encoding its declaration names, else in Windows code page 1252). False when the
    // file cannot be read, is not a regular file (a FIFO is never waited on), is larger than
    // kMaxFileSize before or, as UTF-8, after conversion, or is not well-formed XML with a root
    // element; the document is then empty. The cursor is reset either way.
    bool Load(const std::string& path);
    // The same for bytes already in memory.
    bool SetDoc(const char* data, size_t size);
    bool SetDoc(const std::string& text) { return SetDoc(text.data(), text.size()); }

    // Back to the top: the next FindElem looks at the root level.
    void ResetPos();

    // Moves to the next element among the following siblings of the current one (or from the
    // first child of the parent when there is no current element) whose name is `name`; an
    // empty name matches any element. False, with the position unchanged, when none is left.
    bool FindElem(const std::string& name = std::string());
    // The current element becomes the parent; there is no current element until FindElem or
    // AddElem. False when there is no current element.
    bool IntoElem();
    // The parent becomes the current element again. False at the root level.
    bool OutOfElem();

    // The attribute of the current element, or empty text when it or the element is missing.
    std::string GetAttrib(const std::string& name) const;
    // At most the first maxCodePoints code points of it, without copying the rest.
    std::string GetAttrib(const std::string& name, size_t maxCodePoints) const;
    // Name of the current element, empty when there is none.
    std::string GetTagName() const;

    // Adds an element after the current one (at the end of the parent's children when there is
    // no current element) and makes it current. False for an empty name, and for a second
    // element at the root level.
    bool AddElem(const std::string& name);
    // Sets an attribute of the current element, appending it after the existing ones when it is
    // new. Bytes that are not UTF-8 are written as U+FFFD. False when there is no current
    // element or the name is empty.
    bool SetAttrib(const std::string& name, const std::string& value);
    bool SetAttrib(const std::string& name, const char* value) {
        return SetAttrib(name, std::string(value ? value : ""));
    }
    bool SetAttrib(const std::string& name, int value);

    // The document as UTF-8 text: the declaration line with CR LF, then the elements, one per
    // line with tab indentation.
    std::string GetDoc() const;
    // Writes GetDoc() to the file, replacing it. False when the file cannot be written.
    bool Save(const std::string& path) const;

    // The program's files are a few kilobytes; a chosen file far beyond that is not one of them
    // and is refused before it is read into memory.
    static constexpr size_t kMaxFileSize = 64u << 20;

    static constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

private:
    pugi::xml_node NextElement(pugi::xml_node from, const std::string& name) const;
    // Empties the document and its text.
    void Clear();
    // Turns the file's bytes into UTF-8 text and parses it in place.
    bool Parse(std::string bytes);

    // The parsed text; the document's names and values point into it. Declared before doc_
    // so that it outlives the document.
    std::string text_;
    pugi::xml_document doc_;
    pugi::xml_node parent_;
    pugi::xml_node current_;
};
