#pragma once
// A sprite of a book page: a picture that runs the page's actions.
//
// It remembers the page it was made for and the book's data path, and carries the ready flag that
// guards the rotating actions (swing and rotate): cleared when one starts, set again by the call-back at
// its end, so a second touch while a sprite still swings starts nothing.

#include "stage/sprite.h"
#include "stage/touch.h"

#include <memory>
#include <string>

class Sprite : public stage::Sprite, public stage::TouchDelegate {
public:
    // Null when the picture cannot be loaded.
    static std::shared_ptr<Sprite> create(const std::string& file);
    Sprite() = default;

    bool isReady() const { return ready_; }
    void setReady(bool ready) { ready_ = ready; }
    int page() const { return page_; }
    void setPage(int page) { page_ = page; }
    const std::string& dataPath() const { return dataPath_; }
    void setDataPath(const std::string& dataPath) { dataPath_ = dataPath; }

    // Whether the touch lies inside the sprite's own rectangle. Pages test their hot spots instead; the
    // sprite does not take touches itself.
    bool containsTouchLocation(const stage::Touch& touch) const;

private:
    bool ready_ = true;
    int page_ = 0;
    std::string dataPath_;
};
