#pragma once
// The module that the program's dialog templates, strings and icons come from: the program
// file itself, or a resource library put in its place. Each item that the library lacks is
// taken from the program file instead, so an incomplete library costs a translation, never
// the program.
#include <windows.h>

#include <string>
#include <vector>

// The program file's own module.
HMODULE ProgramModule();

// The current resource module: the library set with SetResourceModule, else the program.
HMODULE ResourceModule();

// Makes `module` the resource module; nullptr goes back to the program's own resources.
// The module is not owned: a resource library stays loaded until the process ends.
void SetResourceModule(HMODULE module);

// The program file's folder, with its trailing backslash; empty when it cannot be read whole.
std::string ProgramFolder();

// Loads the library `fileName` from the program's own folder, by its full path and as data
// only, and when that succeeds makes it the resource module. No other folder is searched (not
// the current one, not PATH), and no code of the library ever runs: the program may run as
// administrator where other users can write to those folders. Returns whether it did.
bool UseResourceLibrary(const char* fileName);

// The module that holds resource `id` of `type`: the resource module when it has it, else
// the program when it has it, else nullptr.
HMODULE ModuleHolding(LPCSTR type, unsigned id);

// The bytes of resource `id` of `type` from ModuleHolding; empty when neither module has it.
// The bytes stay valid as long as the module is loaded.
struct ResourceBytes {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
};
ResourceBytes FindResourceBytes(LPCSTR type, unsigned id);

// String-table entry `id` in the system code page, whole whatever its length; empty when
// neither module has it. The format cannot tell an empty entry from a missing one, and a
// library holds its strings in blocks of 16: an entry that the library leaves empty, also in
// a block it holds, is the program's own.
std::string LoadResourceString(unsigned id);

// Icon `id` in the system's large icon size, shared (never destroyed); nullptr when neither
// module has it.
HICON LoadResourceIcon(unsigned id);
