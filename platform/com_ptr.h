#pragma once
// A move-only owner of one COM interface pointer, which releases what it holds exactly once on
// every path so that no caller writes a Release of its own; and COM for a thread, as an object.
#include <windows.h>

#include <objbase.h>
#include <unknwn.h>

#include <utility>

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference that the caller already holds; adds none.
    explicit ComPtr(T* pointer) : m_pointer(pointer) {}
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : m_pointer(other.detach()) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset(other.detach());
        }
        return *this;
    }
    ~ComPtr() { reset(); }

    T* get() const { return m_pointer; }
    T* operator->() const { return m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }

    // Releases what is held and gives the address for an out parameter.
    T** put() {
        reset();
        return &m_pointer;
    }
    // The same address in the form CoCreateInstance and QueryInterface take.
    void** put_void() { return reinterpret_cast<void**>(put()); }

    // Gives up ownership without releasing.
    T* detach() { return std::exchange(m_pointer, nullptr); }

    // Releases what is held and takes over `pointer`'s reference.
    void reset(T* pointer = nullptr) {
        T* old = std::exchange(m_pointer, pointer);
        if (old != nullptr) {
            old->Release();
        }
    }

    // Asks the held object for the interface `iid`. `target` receives it only on success;
    // on failure it keeps what it held. Without an object the result is E_POINTER.
    template <typename U>
    HRESULT QueryInterface(REFIID iid, ComPtr<U>& target) const {
        if (m_pointer == nullptr) {
            return E_POINTER;
        }
        ComPtr<U> result;
        const HRESULT hr = m_pointer->QueryInterface(iid, result.put_void());
        if (FAILED(hr)) {
            return hr;
        }
        if (!result) {
            return E_POINTER;
        }
        target = std::move(result);
        return hr;
    }

private:
    T* m_pointer = nullptr;
};

// COM for this thread, for as long as the object lives.
class ComApartment {
public:
    ComApartment() : m_result(CoInitialize(nullptr)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(m_result)) {
            CoUninitialize();
        }
    }
    // CoInitialize's result: a caller that cannot work without COM says so with it.
    HRESULT result() const { return m_result; }

private:
    HRESULT m_result;
};
