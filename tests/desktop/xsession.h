// A private X server (Xvfb) with a window manager (openbox), for the tests that need what
// only a real window system does: stacking, focus, window sizes set by the manager.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class XSession {
public:
    // Starts both on a free display and points DISPLAY at it; Ready() tells whether the
    // window manager came up.
    XSession();
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    bool Ready() const { return mReady; }

    // The managed windows as stacked, bottom first.
    static std::vector<unsigned long> Stacking();
    static unsigned long ActiveWindow();
    // The window's caption as the window manager reads it.
    static std::string Caption(unsigned long window);
    // Runs xdotool with `arguments` (key presses, resizing, searching); gives its output.
    static std::string XDoTool(const std::string& arguments);

private:
    pid_t mServer = -1;
    pid_t mManager = -1;
    bool mReady = false;
};
