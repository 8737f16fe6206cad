#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/SessionReplay.h"
#include "geometry/Camera.h"
#include "platform/Clock.h"
#include "platform/Window.h"
#include "view/GLView.h"

namespace zelmor {

// Plays a recorded session in a window at its recorded pace, for people to watch: pause and
// resume, speeds from a quarter to as fast as the frames allow, a step at a time, and jumps to
// any step, backwards too. The replay checks the recorded state hashes as it plays, and the
// title bar says where it stands. Live input goes to these controls only, never into the
// recorded session, and nothing is logged or recorded.
//
// Keys: Space pauses and resumes; Right and Left go one step on or back (pausing); Up and Down
// double and halve the speed (a quarter to 16, then as fast as the frames allow); Page Down and
// Page Up jump 10 s on and back; Home and End go to the first and the last step; 0 to 9 jump to
// that tenth of the recording; Escape or the close box ends the viewer.
class ReplayViewer {
public:
    // Plays the recording at path in a window; the process's exit code (0, or 1 when the file or
    // the window cannot be opened).
    static int run(const std::string& path);

    explicit ReplayViewer(std::unique_ptr<SessionReplay> replay);
    ~ReplayViewer();
    ReplayViewer(const ReplayViewer&) = delete;
    ReplayViewer& operator=(const ReplayViewer&) = delete;

    bool openWindow();
    // Runs until Escape or the close box.
    void play();
    void close() { view_.shutdown(); }

    // The controls, as the keys give them.
    void onKey(uint64_t virtualKey);
    void togglePause();
    void faster();
    void slower();
    // To the point right after step `step`, paused or not as before.
    void jumpTo(uint64_t step);

    const SessionReplay& replay() const { return *replay_; }
    bool playing() const { return playing_; }
    // Recorded time per wall-clock time; 0 for as fast as the frames allow.
    double speed() const;
    // What the title bar says.
    std::string title() const;
    GLView& view() { return view_; }

private:
    static int64_t windowProcedure(platform::Window* window, uint32_t message, uint64_t wParam,
                                   int64_t lParam);
    // Plays on for elapsed milliseconds of wall time.
    void playFor(uint32_t elapsed);
    void drawFrame();

    static ReplayViewer* current_;

    std::unique_ptr<SessionReplay> replay_;
    GLView view_{""};
    Camera camera_;  // a copy of the recorded camera: drawing must not apply the replayed one
    platform::Clock clock_;
    bool playing_ = true;
    bool quit_ = false;
    int speedIndex_ = 2;  // into the table of speeds: 1x
    double target_ = 0;   // the recorded clock the replay plays up to
};

}  // namespace zelmor
