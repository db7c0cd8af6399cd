#include "command_channel.h"

namespace {

// A standard handle that leads somewhere: a file, a pipe or a console this process was given.
HANDLE Redirected(DWORD which) {
    HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
        GetFileType(handle) == FILE_TYPE_UNKNOWN) {
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}

// Windows' line ends: a file written for a script reads the same in Notepad as at a prompt.
std::string WithCarriageReturns(const std::string& text) {
    std::string converted;
    converted.reserve(text.size() + 8);
    for (const char c : text) {
        if (c == '\n') converted += '\r';
        converted += c;
    }
    return converted;
}

}  // namespace

ConsoleChannel::ConsoleChannel()
    : m_out(Redirected(STD_OUTPUT_HANDLE)),
      m_error(Redirected(STD_ERROR_HANDLE)),
      m_in(Redirected(STD_INPUT_HANDLE)) {}

HANDLE ConsoleChannel::Console(UniqueFile& handle, const char* name, DWORD access) {
    if (!m_attachTried) {
        m_attachTried = true;
        m_attached = AttachConsole(ATTACH_PARENT_PROCESS) != FALSE;
    }
    if (m_attached && !handle) {
        handle.reset(CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    }
    return handle.get();
}

void ConsoleChannel::Write(HANDLE redirected, const std::string& text) {
    HANDLE target = redirected != INVALID_HANDLE_VALUE
                        ? redirected
                        : Console(m_consoleOut, "CONOUT$", GENERIC_READ | GENERIC_WRITE);
    if (target == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::string converted = WithCarriageReturns(text + "\n");
    DWORD written = 0;
    WriteFile(target, converted.data(), static_cast<DWORD>(converted.size()), &written, nullptr);
}

void ConsoleChannel::Out(const std::string& text) { Write(m_out, text); }

void ConsoleChannel::Error(const std::string& text) { Write(m_error, text); }

std::optional<std::string> ConsoleChannel::ReadSecretLine() {
    // Never from a console: this windowed program does not hold its parent's console, so the
    // shell would read the same keys and could run a password as a command.
    if (!InputRedirected()) {
        return std::nullopt;
    }
    // Byte by byte, so that nothing after the line is taken from a pipe that holds the next
    // password; room for a long password from the start, so that no copy is left behind.
    std::string line;
    line.reserve(512);
    bool any = false;
    char c = 0;
    DWORD count = 0;
    while (ReadFile(m_in, &c, 1, &count, nullptr) && count == 1) {
        any = true;
        if (c == '\n') break;
        line += c;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    if (!any) {
        return std::nullopt;
    }
    return line;
}

bool ConsoleChannel::InputRedirected() {
    DWORD mode = 0;
    return m_in != INVALID_HANDLE_VALUE && !GetConsoleMode(m_in, &mode);
}
