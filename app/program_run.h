// The program's run around its message loop: everything from the application
// object to the main menu on the screen, and the teardown after the loop.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace kordalt {

class TMusicPlayer;

class TProgramRun {
public:
    // Needs the application object. Shows the main menu; the music starts
    // once its player has found the audio output, on a worker thread.
    explicit TProgramRun(const std::vector<std::string>& arguments);
    ~TProgramRun();
    TProgramRun(const TProgramRun&) = delete;
    TProgramRun& operator=(const TProgramRun&) = delete;

    // False when the windows could not be made (already reported).
    bool Started() const { return started_; }

private:
    std::unique_ptr<TMusicPlayer> player_;
    bool started_ = false;
};

}  // namespace kordalt
