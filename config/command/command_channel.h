#pragma once
// Where the command line's texts go and where its passwords come from: standard output and
// standard error when they are redirected (a pipe or a file), else the console of the program
// that started this one; passwords from a redirected standard input only. This windowed
// program has no console of its own.
#include <windows.h>

#include <optional>
#include <string>

#include "win_handles.h"

// The command line's conversation with its caller. A text holds one or more lines, separated
// by "\n"; the channel ends its last one.
class CommandChannel {
public:
    virtual ~CommandChannel() = default;
    // Writes the lines of `text` to standard output.
    virtual void Out(const std::string& text) = 0;
    // Writes the lines of `text` to standard error.
    virtual void Error(const std::string& text) = 0;
    // One line from standard input redirected from a file or a pipe, without its line end.
    // Nothing at the end of the input, or when there is none or it is a console.
    virtual std::optional<std::string> ReadSecretLine() = 0;
    // Whether standard input comes from a file or a pipe (not a console, not missing).
    virtual bool InputRedirected() = 0;
};

// The real channel. Each stream is the redirected handle this process was given, else the
// parent's console (AttachConsole, once, when a stream first needs it), else nowhere: a
// program started without either writes nothing and reads no line.
class ConsoleChannel : public CommandChannel {
public:
    ConsoleChannel();
    void Out(const std::string& text) override;
    void Error(const std::string& text) override;
    std::optional<std::string> ReadSecretLine() override;
    bool InputRedirected() override;

private:
    // The console's input or output, opened on first use; INVALID_HANDLE_VALUE without one.
    HANDLE Console(UniqueFile& handle, const char* name, DWORD access);
    void Write(HANDLE redirected, const std::string& text);

    HANDLE m_out;
    HANDLE m_error;
    HANDLE m_in;
    bool m_attachTried = false;
    bool m_attached = false;
    UniqueFile m_consoleOut;
};
