#include "app/platform/SharedLibrary.h"

#include <dlfcn.h>

#include <utility>

SharedLibrary::~SharedLibrary() {
    Close();
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), name_(std::move(other.name_)),
      error_(std::move(other.error_)) {
    other.name_.clear();
}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, nullptr);
        name_ = std::move(other.name_);
        error_ = std::move(other.error_);
        other.name_.clear();
    }
    return *this;
}

bool SharedLibrary::Open(const std::vector<std::string>& names) {
    Close();
    error_.clear();
    for (const std::string& name : names) {
        // An empty name would hand back the program itself.
        if (name.empty()) continue;
        if (void* handle = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            handle_ = handle;
            name_ = name;
            error_.clear();
            return true;
        }
        const char* reason = ::dlerror();
        error_ = reason ? reason : name + ": cannot be opened";
    }
    if (error_.empty()) error_ = "no library name";
    return false;
}

void SharedLibrary::Close() {
    if (handle_) ::dlclose(handle_);
    handle_ = nullptr;
    name_.clear();
}

void* SharedLibrary::Symbol(const char* symbol) const {
    if (!handle_ || !symbol) return nullptr;
    return ::dlsym(handle_, symbol);
}
