#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/WindowMessages.h"

namespace zelmor::platform {

// Turns SDL events into window messages. Remembers SHIFT and the mouse buttons from the events
// themselves, in queue order, so a click carries the SHIFT state of its own moment (the
// keyboard state at poll time would be wrong when several events wait in the queue).
class EventTranslator {
public:
    // The message for the event; WM_NULL for events that map to no message.
    Message translate(const SDL_Event& event);
    // While the mouse is captured the window hears of the pointer wherever it is; otherwise only
    // inside its client area, and the pointer leaving it is WM_MOUSELEAVE.
    void setCaptured(bool captured) { captured_ = captured; }
    // Whether the last mouse event of a known window was outside its client area.
    bool pointerOutside() const { return pointerOutside_; }

    // PC set-1 scan code (bits 16-22 of the key data) of a key; 0 when it has none here.
    static int setOneScanCode(SDL_Scancode code);
    // The extended-key flag: the separate cursor block, as opposed to the keypad.
    static bool isExtendedKey(SDL_Scancode code);
    // Virtual-key code: letters and digits as upper-case ASCII, taken from the character the
    // layout gives the key (SDL's keycode); the usual codes of the key's place otherwise.
    static uint64_t virtualKey(SDL_Scancode code, SDL_Keycode character, bool numLock);

private:
    Message keyMessage(const SDL_KeyboardEvent& key);
    Message mouseButtonMessage(const SDL_MouseButtonEvent& button);
    Message motionMessage(const SDL_MouseMotionEvent& motion);
    Message windowMessage(const SDL_WindowEvent& window);
    void notePointer(uint32_t windowId, int x, int y);
    uint64_t keyState() const;

    bool shift_ = false;
    bool control_ = false;
    bool leftButton_ = false;
    bool rightButton_ = false;
    bool captured_ = false;
    bool pointerOutside_ = false;
};

}  // namespace zelmor::platform
