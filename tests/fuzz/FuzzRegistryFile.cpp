// Whatever the program's key file holds, reading never crashes and a value written is the value
// read back afterwards.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/platform/ProgramRegistry.h"

namespace {

std::string gFolder;

void RemoveFolder() {
    std::error_code ec;
    if (!gFolder.empty()) std::filesystem::remove_all(gFolder, ec);
}

const std::string& KeyFile() {
    static const std::string file = [] {
        char pattern[] = "/tmp/pivane_fuzz_registry_XXXXXX";
        if (!mkdtemp(pattern)) std::abort();
        gFolder = std::string(pattern) + "/";
        std::atexit(RemoveFolder);
        setenv("XDG_CONFIG_HOME", gFolder.c_str(), 1);
        std::filesystem::create_directories(ProgramRegistry::KeyFolder());
        return ProgramRegistry::KeyFile();
    }();
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        std::ofstream out(KeyFile(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    ProgramRegistry::ReadLanguageId();
    ProgramRegistry::ReadProgramRegistryValue("exit_mode");
    if (!ProgramRegistry::WriteProgramRegistryValue("exit_mode", "1")) std::abort();
    if (ProgramRegistry::ReadProgramRegistryValue("exit_mode") != 1) std::abort();
    if (!ProgramRegistry::WriteLanguageId(1033)) std::abort();
    if (ProgramRegistry::ReadLanguageId() != 1033) std::abort();
    if (ProgramRegistry::ReadProgramRegistryValue("exit_mode") != 1) std::abort();
    return 0;
}
