#pragma once
// A text that holds a password. When it ends, every byte of its buffer is overwritten, whatever
// it holds by then, in a way the compiler may not leave out: a value cut short, or moved out
// and so left behind in its short-text buffer, goes too. It is a std::basic_string in every
// other way, so that it passes wherever one does; a plain copy made of it is the copier's to
// wipe.
#include <cstddef>
#include <string>
#include <utility>

template <typename Char>
class BasicSecretString : public std::basic_string<Char> {
    using Base = std::basic_string<Char>;

public:
    using Base::Base;
    BasicSecretString() = default;
    BasicSecretString(const Base& text) : Base(text) {}
    BasicSecretString(Base&& text) : Base(std::move(text)) {}
    BasicSecretString(const BasicSecretString& other) = default;
    BasicSecretString(BasicSecretString&& other) noexcept : Base(std::move(other)) {}
    BasicSecretString& operator=(const BasicSecretString& other) = default;
    BasicSecretString& operator=(BasicSecretString&& other) noexcept {
        this->swap(other);
        return *this;
    }
    ~BasicSecretString() { Wipe(); }

    // Overwrites the whole buffer and empties the text.
    void Wipe() {
        volatile Char* units = this->data();
        for (std::size_t i = 0; i < this->capacity(); ++i) units[i] = 0;
        this->clear();
    }
};

using SecretString = BasicSecretString<char>;
using SecretWideString = BasicSecretString<wchar_t>;
