#pragma once

namespace zelmor::platform {

// Readies the fixed-function emulation for the WebGL context just made current. The emulation
// readies itself only for a context made through its own page set-up, not for one made with
// html5.h, and would fail on the first GL call otherwise.
void startLegacyGl();

}  // namespace zelmor::platform
