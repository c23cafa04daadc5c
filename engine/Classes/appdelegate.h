#pragma once
// The application delegate: reads the book descriptor, sets up the director for the book (design size
// shown whole, 60 frames a second) and shows page 0. It also pauses the book while the program is in
// the background.

class AppDelegate {
public:
    AppDelegate() = default;
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // False when the book descriptor cannot be read: then no page is shown.
    bool applicationDidFinishLaunching();
    void applicationDidEnterBackground();
    void applicationWillEnterForeground();

    // The application loop on the current director: launches, then runs until the director ends.
    // 0 on a normal end, and also when launching failed (nothing to play).
    int run();
};
