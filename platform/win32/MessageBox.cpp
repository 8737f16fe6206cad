#include "platform/MessageBox.h"

#include <cstdio>

#include "platform/win32/WinApi.h"

namespace zelmor::platform {

void showMessageBox(const std::string& text, const std::string& caption) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
}

}  // namespace zelmor::platform
