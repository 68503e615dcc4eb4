#include "app/platform/PointerSettings.h"

#include "app/platform/GSettingsPointerSettings.h"
#include "app/platform/ProgramRegistry.h"
#include "app/platform/X11PointerSettings.h"

std::string PointerSettings::KeptValuesFile() {
    const std::string folder = ProgramRegistry::KeyFolder();
    return folder.empty() ? folder : folder + "pointer.ini";
}

std::unique_ptr<PointerSettings> PointerSettings::ForDesktop() {
    if (GSettingsPointerSettings::SchemaInstalled())
        return std::make_unique<GSettingsPointerSettings>(GSettingsPointerSettings::kMouseSchema,
                                                          KeptValuesFile());
    return std::make_unique<X11PointerSettings>("", KeptValuesFile());
}
