#include "platform/ReadOnlyFile.h"

#include <windows.h>

#include <algorithm>

namespace zelmor::platform {

namespace {

HANDLE handleOf(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// The system's own wording of its error numbers, as the checker shows them.
class WindowsErrors : public std::error_category {
public:
    const char* name() const noexcept override { return "windows"; }
    std::string message(int code) const override {
        char* text = nullptr;
        const DWORD length = FormatMessageA(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
        std::string message(text != nullptr ? text : "", length);
        LocalFree(text);
        while (!message.empty() &&
               (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) {
            message.pop_back();
        }
        return message.empty() ? "error " + std::to_string(code) : message;
    }
};

const std::error_category& windowsErrors() {
    static const WindowsErrors category;
    return category;
}

}  // namespace

std::unique_ptr<ReadOnlyFile> ReadOnlyFile::open(const std::string& path) {
    // Opening a folder fails without FILE_FLAG_BACKUP_SEMANTICS; a pipe or a device opens
    // without waiting and is told apart by the handle's type.
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    std::unique_ptr<ReadOnlyFile> file(new ReadOnlyFile(reinterpret_cast<std::intptr_t>(handle)));
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileType(handle) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(handle, &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return nullptr;
    }
    return file;
}

ReadOnlyFile::~ReadOnlyFile() {
    CloseHandle(handleOf(handle_));
}

std::ptrdiff_t ReadOnlyFile::read(char* into, std::size_t size, std::error_code& error) {
    DWORD got = 0;
    const auto wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!ReadFile(handleOf(handle_), into, wanted, &got, nullptr)) {
        error.assign(static_cast<int>(GetLastError()), windowsErrors());
        return -1;
    }
    return static_cast<std::ptrdiff_t>(got);
}

bool ReadOnlyFile::seek(std::int64_t offset) {
    LARGE_INTEGER to{};
    to.QuadPart = offset;
    return SetFilePointerEx(handleOf(handle_), to, nullptr, FILE_BEGIN) != 0;
}

}  // namespace zelmor::platform
