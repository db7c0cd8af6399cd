#include "resource_module.h"

namespace {

HMODULE g_resourceLibrary = nullptr;

bool Holds(HMODULE module, LPCSTR type, LPCSTR name) {
    return module != nullptr && FindResourceA(module, name, type) != nullptr;
}

// The full path of the program file; empty when it cannot be read whole.
std::string ProgramPath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(ProgramModule(), path.data(),
                                                static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        // A path that filled the buffer may have been cut (XP does not say so).
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.assign(path.size() * 2, '\0');
    }
}

}  // namespace

std::string ProgramFolder() {
    const std::string path = ProgramPath();
    return path.substr(0, path.find_last_of('\\') + 1);
}

namespace {

// Entry `id` of `module`'s string table; empty when it has none.
std::string LoadStringOf(HMODULE module, unsigned id) {
    // LoadStringA fills what fits and says how much it copied; a result that fills the
    // buffer may have been cut, so the buffer grows until the text fits with room to spare.
    std::string text(256, '\0');
    for (;;) {
        const int length =
            LoadStringA(module, id, text.data(), static_cast<int>(text.size()));
        if (length <= 0) {
            return {};
        }
        if (static_cast<std::size_t>(length) < text.size() - 1) {
            text.resize(static_cast<std::size_t>(length));
            return text;
        }
        text.assign(text.size() * 2, '\0');
    }
}

}  // namespace

HMODULE ProgramModule() { return GetModuleHandleA(nullptr); }

HMODULE ResourceModule() {
    return g_resourceLibrary != nullptr ? g_resourceLibrary : ProgramModule();
}

void SetResourceModule(HMODULE module) { g_resourceLibrary = module; }

bool UseResourceLibrary(const char* fileName) {
    std::string path = ProgramPath();
    const auto folderEnd = path.find_last_of('\\');
    if (folderEnd == std::string::npos) {
        return false;
    }
    path.replace(folderEnd + 1, std::string::npos, fileName);
    // As a data file the library is only mapped: its entry point and imports are left alone,
    // and a full path is taken as it stands.
    HMODULE library = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (library == nullptr) {
        return false;
    }
    SetResourceModule(library);
    return true;
}

HMODULE ModuleHolding(LPCSTR type, unsigned id) {
    const LPCSTR name = MAKEINTRESOURCEA(id);
    if (Holds(ResourceModule(), type, name)) {
        return ResourceModule();
    }
    if (Holds(ProgramModule(), type, name)) {
        return ProgramModule();
    }
    return nullptr;
}

ResourceBytes FindResourceBytes(LPCSTR type, unsigned id) {
    HMODULE module = ModuleHolding(type, id);
    if (module == nullptr) {
        return {};
    }
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) {
        return {};
    }
    return {static_cast<const unsigned char*>(data), SizeofResource(module, resource)};
}

std::string LoadResourceString(unsigned id) {
    std::string text = LoadStringOf(ResourceModule(), id);
    if (text.empty() && ResourceModule() != ProgramModule()) {
        text = LoadStringOf(ProgramModule(), id);
    }
    return text;
}

HICON LoadResourceIcon(unsigned id) {
    HMODULE module = ModuleHolding(RT_GROUP_ICON, id);
    return module != nullptr ? LoadIconA(module, MAKEINTRESOURCEA(id)) : nullptr;
}
