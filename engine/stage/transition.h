// Page transitions: scenes that show the old (out) and the new (in) scene changing places.
//
// Life cycle, driven by the director:
//  - replaceScene(transition): at the next frame the transition becomes the running scene. It switches touch
//    delivery off, tells the out-scene its exit has started, enters the in-scene (whose actions and timers
//    run from now on, as do the out-scene's) and starts its own actions on both scenes;
//  - when its actions end, finish() puts both scenes back to plain state (in shown, out hidden), and on the
//    frame after that the director swaps to the in-scene: the out-scene exits and is cleaned up, touch
//    delivery comes back, and only now does the in-scene get onEnterTransitionDidFinish.
// A scene change asked for while a transition runs first completes that transition at once.
#pragma once

#include "stage/backend.h"
#include "stage/scene.h"

#include <vector>

namespace stage {

class Director;

class TransitionScene : public Scene {
public:
    float duration() const { return duration_; }
    const ScenePtr& inScene() const { return in_; }
    const ScenePtr& outScene() const { return out_; }

    // Called by the director when the transition becomes the running scene.
    void attach(Director& director, ScenePtr outScene);
    // Ends the transition: state reset now, the swap to the in-scene at the next frame.
    void finish();
    // Completes the transition at once (stops its actions and resets both scenes).
    void finishNow();

    void onEnter() override;
    void onExit() override;
    void cleanup() override;
    void collectTree(std::vector<NodePtr>& out) override;
    void draw(Renderer& renderer, const Affine& toPixels, Color4B color) override;

protected:
    TransitionScene(float duration, ScenePtr in);
    // Sets up the scenes and starts the actions; winSize() is the design size.
    virtual void start() = 0;
    // True when the in-scene is drawn over the out-scene.
    virtual bool inSceneOnTop() const { return true; }
    // Draws one of the two scenes; the page turn curls one of them here.
    virtual void drawScene(Renderer& renderer, const ScenePtr& scene, const Affine& toPixels);

    Size winSize() const;
    Director* director() const { return director_; }
    // Runs an action on one of the two scenes and remembers it, so an interrupted transition can stop it.
    void runOn(const ScenePtr& scene, const ActionPtr& action);
    // An action that calls finish().
    ActionPtr finishAction();

private:
    void resetScenes();
    void stopStartedActions();

    float duration_;
    ScenePtr in_;
    ScenePtr out_;
    Director* director_ = nullptr;
    std::vector<std::pair<std::weak_ptr<Node>, ActionPtr>> started_;
    bool finishing_ = false;
};
using TransitionPtr = std::shared_ptr<TransitionScene>;

// The out-scene shrinks while spinning two turns clockwise in the first half; the in-scene then grows
// from almost nothing while spinning two turns back.
class RotoZoomTransition : public TransitionScene {
public:
    static std::shared_ptr<RotoZoomTransition> create(float duration, ScenePtr in);
    RotoZoomTransition(float duration, ScenePtr in) : TransitionScene(duration, std::move(in)) {}

protected:
    void start() override;
};

// The out-scene shrinks to half and hops off to the left; the in-scene hops in from the right at half size
// and grows back.
class JumpZoomTransition : public TransitionScene {
public:
    static std::shared_ptr<JumpZoomTransition> create(float duration, ScenePtr in);
    JumpZoomTransition(float duration, ScenePtr in) : TransitionScene(duration, std::move(in)) {}

protected:
    void start() override;
};

enum class SlideEdge { Left, Right, Top, Bottom };

// Both scenes slide together (decelerating), the in-scene coming from the given edge.
class SlideInTransition : public TransitionScene {
public:
    static std::shared_ptr<SlideInTransition> create(float duration, ScenePtr in, SlideEdge edge);
    SlideInTransition(float duration, ScenePtr in, SlideEdge edge)
        : TransitionScene(duration, std::move(in)), edge_(edge) {}
    SlideEdge edge() const { return edge_; }

protected:
    void start() override;
    bool inSceneOnTop() const override;

private:
    SlideEdge edge_;
};

// The out-scene shrinks towards the left third while the in-scene grows from the right third.
class ShrinkGrowTransition : public TransitionScene {
public:
    static std::shared_ptr<ShrinkGrowTransition> create(float duration, ScenePtr in);
    ShrinkGrowTransition(float duration, ScenePtr in) : TransitionScene(duration, std::move(in)) {}

protected:
    void start() override;
};

// Forwards: the out-page curls away from its bottom-right corner and uncovers the in-page. Backwards: the
// in-page uncurls over the out-page.
class PageTurnTransition : public TransitionScene {
public:
    static std::shared_ptr<PageTurnTransition> create(float duration, ScenePtr in, bool backwards);
    PageTurnTransition(float duration, ScenePtr in, bool backwards);
    bool backwards() const { return backwards_; }

    // How far the page is curled (0 flat, 1 gone), and whether the curl is on.
    struct Curl {
        bool active = false;
        float t = 0;
    };
    const Curl& curl() const { return *curl_; }

protected:
    void start() override;
    bool inSceneOnTop() const override { return backwards_; }
    void drawScene(Renderer& renderer, const ScenePtr& scene, const Affine& toPixels) override;

private:
    bool backwards_;
    std::shared_ptr<Curl> curl_;
    TexturePtr target_;
};

// The curled page as a mesh: (columns + 1) x (rows + 1) vertices over a page of the given size, in design
// units with z towards the viewer, for curl progress t. Exposed for tests.
struct CurlVertex {
    float x, y, z;
};
std::vector<CurlVertex> pageCurlMesh(Size page, int columns, int rows, float t);

} // namespace stage
