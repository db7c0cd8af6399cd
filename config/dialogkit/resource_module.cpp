#include "resource_module.h"

namespace {

HMODULE g_resourceLibrary = nullptr;

bool Holds(HMODULE module, LPCSTR type, LPCSTR name) {
    return module != nullptr && FindResourceA(module, name, type) != nullptr;
}

// String-table entries live in blocks of 16; block n holds ids 16 * (n - 1) to 16 * n - 1.
LPCSTR StringBlockName(unsigned id) { return MAKEINTRESOURCEA((id >> 4) + 1); }

}  // namespace

HMODULE ProgramModule() { return GetModuleHandleA(nullptr); }

HMODULE ResourceModule() {
    return g_resourceLibrary != nullptr ? g_resourceLibrary : ProgramModule();
}

void SetResourceModule(HMODULE module) { g_resourceLibrary = module; }

bool UseResourceLibrary(const char* fileName) {
    HMODULE library = LoadLibraryA(fileName);
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
    HMODULE module = ResourceModule();
    if (!Holds(module, RT_STRING, StringBlockName(id))) {
        module = ProgramModule();
    }
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

HICON LoadResourceIcon(unsigned id) {
    HMODULE module = ModuleHolding(RT_GROUP_ICON, id);
    return module != nullptr ? LoadIconA(module, MAKEINTRESOURCEA(id)) : nullptr;
}
