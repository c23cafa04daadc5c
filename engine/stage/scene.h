// Scenes (the root of what the director shows) and layers (full-window nodes that can take touches).
#pragma once

#include "stage/node.h"
#include "stage/touch.h"

namespace stage {

class Scene;
using ScenePtr = std::shared_ptr<Scene>;

// Window-sized, placed by its lower-left corner at (0,0); its anchor (the centre) is only the pivot for
// scaling and rotation.
class Scene : public Node {
public:
    static ScenePtr create();
    Scene();
};

// Like a scene. With touches enabled it registers itself as a targeted delegate when it enters (before
// its children do) and unregisters when it exits.
class Layer : public Node, public TouchDelegate {
public:
    static std::shared_ptr<Layer> create();
    Layer();

    void setTouchEnabled(bool enabled);
    bool isTouchEnabled() const { return touchEnabled_; }
    void setTouchPriority(int priority);
    int touchPriority() const { return touchPriority_; }
    void setSwallowsTouches(bool swallows);
    bool swallowsTouches() const { return swallows_; }

    void onEnter() override;
    void onExit() override;

private:
    void registerTouches();
    void unregisterTouches();

    bool touchEnabled_ = false;
    int touchPriority_ = 0;
    bool swallows_ = true;
};

} // namespace stage
