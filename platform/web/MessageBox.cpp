#include "platform/MessageBox.h"

#include <emscripten.h>

#include <cstdio>

namespace zelmor::platform {

namespace {

// The page has no modal boxes worth blocking on: the message stands above the canvas.
EM_JS(void, showOnPage, (const char* text, const char* caption), {
    if (typeof document == "undefined") {
        return;
    }
    const box = document.createElement("p");
    box.className = "message-box";
    box.textContent = UTF8ToString(caption) + ": " + UTF8ToString(text);
    const status = document.getElementById("status");
    (status || document.body).appendChild(box);
});

}  // namespace

void showMessageBox(const std::string& text, const std::string& caption) {
    // Standard error is the page's console.
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
    showOnPage(text.c_str(), caption.c_str());
}

}  // namespace zelmor::platform
