#pragma once

#include <string>

namespace zelmor::platform {

// Writes the text to standard error, then shows it in a modal box with an OK button. Without a
// display the box cannot appear and only the standard error line remains.
void showMessageBox(const std::string& text, const std::string& caption);

}  // namespace zelmor::platform
