#pragma once
// Move-only owners of Windows handles and registry keys: each releases what it holds exactly
// once, on every path.
#include <windows.h>
#include <sddl.h>

#include <optional>
#include <string>
#include <utility>

template <typename Traits>
class UniqueResource {
public:
    using Handle = typename Traits::Handle;
    UniqueResource() = default;
    explicit UniqueResource(Handle handle) : m_handle(handle) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : m_handle(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    ~UniqueResource() { reset(); }

    Handle get() const { return m_handle; }
    explicit operator bool() const { return Traits::IsValid(m_handle); }
    Handle* put() {
        reset();
        return &m_handle;
    }
    Handle release() { return std::exchange(m_handle, Traits::Invalid()); }
    void reset(Handle handle = Traits::Invalid()) {
        if (Traits::IsValid(m_handle)) {
            Traits::Close(m_handle);
        }
        m_handle = handle;
    }

private:
    Handle m_handle = Traits::Invalid();
};

struct KernelHandleTraits {  // processes, events, mutexes: empty is NULL
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};

struct FileHandleTraits {  // CreateFile: empty is INVALID_HANDLE_VALUE
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};

// Traits of a handle kind whose empty value is NULL and that one function releases.
template <typename H, auto CloseFunction>
struct NullEmptyTraits {
    using Handle = H;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { CloseFunction(h); }
};

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { FindClose(h); }
};

using UniqueHandle = UniqueResource<KernelHandleTraits>;
using UniqueFile = UniqueResource<FileHandleTraits>;
using RegistryKey = UniqueResource<NullEmptyTraits<HKEY, RegCloseKey>>;
using UniqueFind = UniqueResource<FindHandleTraits>;
// A library loaded with LoadLibrary.
using LoadedLibrary = UniqueResource<NullEmptyTraits<HMODULE, FreeLibrary>>;
// Memory that the system allocated for the caller with LocalAlloc (security descriptors, texts).
using LocalMemory = UniqueResource<NullEmptyTraits<HLOCAL, LocalFree>>;

// The security descriptor that the SDDL text `sddl` describes, owned; empty when the text
// cannot be converted (GetLastError says why).
inline LocalMemory DescriptorFromSddl(const char* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor,
                                                              nullptr)) {
        return LocalMemory();
    }
    return LocalMemory(descriptor);
}

// Reads a registry value as text into a buffer of `bufferSize` bytes, as RegQueryValueExA
// does with that size: nothing when the value is missing or does not fit (terminator
// included). The stored type is not examined; a text stored without its terminator is
// taken up to the end of its data.
inline std::optional<std::string> QueryRegistryText(HKEY key, const char* name,
                                                    DWORD bufferSize) {
    std::string buffer(bufferSize, '\0');
    DWORD size = bufferSize;
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                         &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    buffer.resize(size < bufferSize ? size : bufferSize);
    const auto end = buffer.find('\0');
    if (end != std::string::npos) {
        buffer.resize(end);
    }
    return buffer;
}

// Reads a registry value of at most 4 bytes as a 32-bit number; nothing when it is missing
// or larger.
inline std::optional<DWORD> QueryRegistryDword(HKEY key, const char* name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}
