#pragma once

#include <string>
#include <vector>

// A shared library opened at run time, for parts of the program that most starts never use: the
// loader then maps it (and everything it pulls in) only when it is first needed. Its symbols
// are bound when it opens, so a broken install fails there rather than at some later call, and
// stay out of the global scope, where they could clash with another copy. Closes on destruction.
// Owners of libraries that start threads or register GObject types keep their object for the life
// of the process instead: an unmapped library under a running thread or a registered type would
// crash later, far from the cause.
class SharedLibrary {
public:
    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;
    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;

    // Opens the first of names that loads (a SONAME the loader searches, or a path), closing
    // what was open before. False when none loads; Error() then says why for the last one.
    bool Open(const std::vector<std::string>& names);
    void Close();
    bool IsOpen() const { return handle_ != nullptr; }
    // The name that loaded; empty while closed.
    const std::string& Name() const { return name_; }
    // The loader's reason for the last failed open; empty after a success.
    const std::string& Error() const { return error_; }

    // The address of a symbol of the library or of the libraries it depends on; null when the
    // library is closed or has no such symbol.
    void* Symbol(const char* symbol) const;
    // Sets fn (a function pointer) to the symbol; false, fn null, when it is missing.
    template <typename Fn> bool Resolve(const char* symbol, Fn& fn) const {
        fn = reinterpret_cast<Fn>(Symbol(symbol));
        return fn != nullptr;
    }

private:
    void* handle_ = nullptr;
    std::string name_;
    std::string error_;
};
