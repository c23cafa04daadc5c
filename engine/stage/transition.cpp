#include "stage/transition.h"

#include "stage/actions.h"
#include "stage/director.h"
#include "stage/log.h"

#include <cmath>

namespace stage {

namespace {
const char* const kSwapTimer = "transition.swap";
} // namespace

// --- TransitionScene -------------------------------------------------------------------------------------

TransitionScene::TransitionScene(float duration, ScenePtr in) : duration_(duration), in_(std::move(in)) {}

void TransitionScene::attach(Director& director, ScenePtr outScene) {
    director_ = &director;
    out_ = outScene ? std::move(outScene) : Scene::create();
}

Size TransitionScene::winSize() const {
    return director_ != nullptr ? director_->winSize() : contentSize();
}

void TransitionScene::onEnter() {
    Scene::onEnter();
    if (director_ != nullptr) {
        director_->touchDispatcher().setDispatchEvents(false);
    }
    out_->onExitTransitionDidStart();
    if (!in_->isRunning()) {
        in_->onEnter();
    }
    // Scenes made before the design size was known would pivot on their corner.
    for (const ScenePtr& s : {in_, out_}) {
        if (s->contentSize() == Size{}) {
            s->setContentSize(winSize());
        }
    }
    start();
}

void TransitionScene::onExit() {
    Scene::onExit();
    if (director_ != nullptr) {
        director_->touchDispatcher().setDispatchEvents(true);
    }
    if (out_->isRunning()) {
        out_->onExit();
    }
    // The in-scene entered when the transition began; what it gets now is only the "did finish" call.
    in_->onEnterTransitionDidFinish();
}

void TransitionScene::cleanup() {
    Scene::cleanup();
    out_->cleanup();
}

void TransitionScene::collectTree(std::vector<NodePtr>& out) {
    // The new page's actions are stepped first, as they were started first.
    in_->collectTree(out);
    if (out_) {
        out_->collectTree(out);
    }
    Scene::collectTree(out);
}

void TransitionScene::draw(Renderer& renderer, const Affine& toPixels, Color4B) {
    if (!out_) {
        in_->visit(renderer, toPixels, {});
        return;
    }
    if (inSceneOnTop()) {
        drawScene(renderer, out_, toPixels);
        drawScene(renderer, in_, toPixels);
    } else {
        drawScene(renderer, in_, toPixels);
        drawScene(renderer, out_, toPixels);
    }
}

void TransitionScene::drawScene(Renderer& renderer, const ScenePtr& scene, const Affine& toPixels) {
    scene->visit(renderer, toPixels, {});
}

void TransitionScene::runOn(const ScenePtr& scene, const ActionPtr& action) {
    if (scene->runAction(action)) {
        started_.emplace_back(scene, action);
    }
}

ActionPtr TransitionScene::finishAction() {
    std::weak_ptr<Node> self = weak_from_this();
    return CallFunc::create([self]() {
        if (auto node = self.lock()) {
            static_cast<TransitionScene*>(node.get())->finish();
        }
    });
}

void TransitionScene::resetScenes() {
    for (const ScenePtr& s : {in_, out_}) {
        s->setPosition({0, 0});
        s->setScale(1);
        s->setRotation(0);
    }
    in_->setVisible(true);
    out_->setVisible(false);
}

void TransitionScene::stopStartedActions() {
    for (auto& [scene, action] : started_) {
        if (auto node = scene.lock()) {
            node->stopAction(action);
        }
    }
    started_.clear();
}

void TransitionScene::finish() {
    if (finishing_) {
        return;
    }
    finishing_ = true;
    // Whatever of the transition's motion is still due this frame would land on top of the reset.
    stopStartedActions();
    resetScenes();
    // A timer's first frame only arms it, so the swap comes on the frame after this one.
    schedule(kSwapTimer, [this](float) {
        unschedule(kSwapTimer);
        if (director_ != nullptr) {
            director_->replaceScene(in_);
        }
        out_->setVisible(true);
    });
}

void TransitionScene::finishNow() {
    stopStartedActions();
    unschedule(kSwapTimer);
    finishing_ = true;
    resetScenes();
    out_->setVisible(true);
}

// --- RotoZoom --------------------------------------------------------------------------------------------

std::shared_ptr<RotoZoomTransition> RotoZoomTransition::create(float duration, ScenePtr in) {
    if (!in) {
        log(LogLevel::Error, "transition: no scene to show");
        return nullptr;
    }
    return std::make_shared<RotoZoomTransition>(duration, std::move(in));
}

void RotoZoomTransition::start() {
    const float d = duration();
    inScene()->setScale(0.001f);
    outScene()->setScale(1.0f);
    inScene()->setAnchorPoint({0.5f, 0.5f});
    outScene()->setAnchorPoint({0.5f, 0.5f});
    ActionPtr rotozoom =
        Sequence::create({Spawn::create({ScaleBy::create(d / 2, 0.001f), RotateBy::create(d / 2, 360 * 2)}),
                          DelayTime::create(d / 2)});
    ActionPtr back = rotozoom->reverse();
    runOn(outScene(), rotozoom);
    runOn(inScene(), Sequence::create({back, finishAction()}));
}

// --- JumpZoom --------------------------------------------------------------------------------------------

std::shared_ptr<JumpZoomTransition> JumpZoomTransition::create(float duration, ScenePtr in) {
    if (!in) {
        log(LogLevel::Error, "transition: no scene to show");
        return nullptr;
    }
    return std::make_shared<JumpZoomTransition>(duration, std::move(in));
}

void JumpZoomTransition::start() {
    const float d = duration();
    const Size s = winSize();
    inScene()->setScale(0.5f);
    inScene()->setPosition({s.width, 0});
    inScene()->setAnchorPoint({0.5f, 0.5f});
    outScene()->setAnchorPoint({0.5f, 0.5f});
    // Each scene gets its own jump; one shared action object would hold the state of both runs.
    const auto jump = [&] { return JumpBy::create(d / 4, {-s.width, 0}, s.width / 4, 2); };
    runOn(outScene(), Sequence::create({ScaleTo::create(d / 4, 0.5f), jump()}));
    runOn(inScene(),
          Sequence::create({DelayTime::create(d / 2),
                            Sequence::create({jump(), ScaleTo::create(d / 4, 1.0f)}), finishAction()}));
}

// --- SlideIn ---------------------------------------------------------------------------------------------

std::shared_ptr<SlideInTransition> SlideInTransition::create(float duration, ScenePtr in, SlideEdge edge) {
    if (!in) {
        log(LogLevel::Error, "transition: no scene to show");
        return nullptr;
    }
    return std::make_shared<SlideInTransition>(duration, std::move(in), edge);
}

bool SlideInTransition::inSceneOnTop() const {
    return edge_ == SlideEdge::Right || edge_ == SlideEdge::Bottom;
}

void SlideInTransition::start() {
    const float d = duration();
    const Size s = winSize();
    // Half a point short of a full screen, so the seam never shows a gap.
    const float w = s.width - 0.5f;
    const float h = s.height - 0.5f;
    Point from;
    switch (edge_) {
    case SlideEdge::Left:
        from = {-w, 0};
        break;
    case SlideEdge::Right:
        from = {w, 0};
        break;
    case SlideEdge::Top:
        from = {0, h};
        break;
    case SlideEdge::Bottom:
        from = {0, -h};
        break;
    }
    inScene()->setPosition(from);
    const Point delta = -from;
    runOn(inScene(), EaseOut::create(MoveBy::create(d, delta), 2));
    runOn(outScene(), Sequence::create({EaseOut::create(MoveBy::create(d, delta), 2), finishAction()}));
}

// --- ShrinkGrow ------------------------------------------------------------------------------------------

std::shared_ptr<ShrinkGrowTransition> ShrinkGrowTransition::create(float duration, ScenePtr in) {
    if (!in) {
        log(LogLevel::Error, "transition: no scene to show");
        return nullptr;
    }
    return std::make_shared<ShrinkGrowTransition>(duration, std::move(in));
}

void ShrinkGrowTransition::start() {
    const float d = duration();
    inScene()->setScale(0.001f);
    outScene()->setScale(1.0f);
    inScene()->setAnchorPoint({2 / 3.0f, 0.5f});
    outScene()->setAnchorPoint({1 / 3.0f, 0.5f});
    runOn(inScene(), EaseOut::create(ScaleTo::create(d, 1.0f), 2));
    runOn(outScene(), Sequence::create({EaseOut::create(ScaleTo::create(d, 0.01f), 2), finishAction()}));
}

// --- PageTurn --------------------------------------------------------------------------------------------

namespace {

// Progress of the curl, written into the transition's curl state.
class PageCurlAction : public IntervalAction {
public:
    PageCurlAction(float duration, std::shared_ptr<PageTurnTransition::Curl> curl)
        : IntervalAction(duration), curl_(std::move(curl)) {}
    void startWithTarget(Node* target) override {
        IntervalAction::startWithTarget(target);
        curl_->active = true;
    }
    void update(float t) override { curl_->t = t; }
    ActionPtr clone() const override { return std::make_shared<PageCurlAction>(duration(), curl_); }

private:
    std::shared_ptr<PageTurnTransition::Curl> curl_;
};

class StopCurlAction : public InstantAction {
public:
    explicit StopCurlAction(std::shared_ptr<PageTurnTransition::Curl> curl) : curl_(std::move(curl)) {}
    void update(float) override { curl_->active = false; }
    ActionPtr clone() const override { return std::make_shared<StopCurlAction>(curl_); }

private:
    std::shared_ptr<PageTurnTransition::Curl> curl_;
};

} // namespace

std::vector<CurlVertex> pageCurlMesh(Size page, int columns, int rows, float t) {
    std::vector<CurlVertex> mesh;
    mesh.reserve(std::size_t(columns + 1) * std::size_t(rows + 1));
    const float tt = std::max(0.0f, t - 0.25f);
    const float ay = -100 - 500 * tt * tt;
    const float theta = float(M_PI) / 2 - float(M_PI) / 2 * std::sqrt(t);
    const float sinTheta = std::sin(theta);
    const float cosTheta = std::cos(theta);
    for (int j = 0; j <= rows; ++j) {
        for (int i = 0; i <= columns; ++i) {
            const float x = page.width * float(i) / float(columns);
            const float y = page.height * float(j) / float(rows);
            const float R = std::sqrt(x * x + (y - ay) * (y - ay));
            CurlVertex v{0, R + ay, 0.5f};
            if (sinTheta > 1e-6f && R > 0) {
                // The page wraps round a cone whose apex lies below the page; the curl starts at the
                // bottom-right corner and the left edge stays put.
                const float r = R * sinTheta;
                const float alpha = std::asin(std::min(1.0f, x / R));
                const float beta = alpha / sinTheta;
                const float cosBeta = std::cos(beta);
                v.x = beta <= float(M_PI) ? r * std::sin(beta) : 0;
                v.y = R + ay - r * (1 - cosBeta) * sinTheta;
                v.z = std::max(0.5f, r * (1 - cosBeta) * cosTheta / 7);
            }
            mesh.push_back(v);
        }
    }
    return mesh;
}

std::shared_ptr<PageTurnTransition> PageTurnTransition::create(float duration, ScenePtr in, bool backwards) {
    if (!in) {
        log(LogLevel::Error, "transition: no scene to show");
        return nullptr;
    }
    return std::make_shared<PageTurnTransition>(duration, std::move(in), backwards);
}

PageTurnTransition::PageTurnTransition(float duration, ScenePtr in, bool backwards)
    : TransitionScene(duration, std::move(in)), backwards_(backwards), curl_(std::make_shared<Curl>()) {}

void PageTurnTransition::start() {
    const float d = duration();
    auto curlAction = std::make_shared<PageCurlAction>(d, curl_);
    auto stopCurl = std::make_shared<StopCurlAction>(curl_);
    if (!backwards_) {
        runOn(outScene(), Sequence::create({curlAction, finishAction(), stopCurl}));
    } else {
        // Hidden until the curl is in place, so the whole page never flashes up first.
        inScene()->setVisible(false);
        runOn(inScene(),
              Sequence::create({Show::create(), ReverseTime::create(curlAction), finishAction(), stopCurl}));
    }
}

void PageTurnTransition::drawScene(Renderer& renderer, const ScenePtr& scene, const Affine& toPixels) {
    const ScenePtr& curled = backwards_ ? inScene() : outScene();
    if (scene != curled || !curl_->active || !scene->isVisible()) {
        TransitionScene::drawScene(renderer, scene, toPixels);
        return;
    }
    const Size s = winSize();
    const int w = std::max(1, int(std::ceil(s.width)));
    const int h = std::max(1, int(std::ceil(s.height)));
    if (!target_ || target_->size() != Size(float(w), float(h))) {
        target_ = renderer.createRenderTarget(w, h);
    }
    if (!target_) {
        TransitionScene::drawScene(renderer, scene, toPixels);
        return;
    }
    // The page is first drawn flat into a picture of the design size, then that picture is bent.
    renderer.setRenderTarget(target_);
    renderer.clear({0, 0, 0, 0});
    const Affine designToTarget{1, 0, 0, -1, 0, float(h)};
    scene->visit(renderer, designToTarget, {});
    renderer.setRenderTarget(nullptr);

    const int columns = s.width > s.height ? 16 : 12;
    const int rows = s.width > s.height ? 12 : 16;
    const std::vector<CurlVertex> mesh = pageCurlMesh(s, columns, rows, curl_->t);
    // Seen from an eye above the page centre, so what curls up towards the viewer grows.
    const float eye = s.height / 1.1566f;
    const Point centre{s.width / 2, s.height / 2};
    std::vector<MeshVertex> vertices;
    vertices.reserve(mesh.size());
    for (int j = 0; j <= rows; ++j) {
        for (int i = 0; i <= columns; ++i) {
            const CurlVertex& v = mesh[std::size_t(j * (columns + 1) + i)];
            const float k = eye / std::max(1.0f, eye - v.z);
            const Point projected = centre + (Point{v.x, v.y} - centre) * k;
            vertices.push_back({toPixels.apply(projected),
                                {float(i) / float(columns), 1 - float(j) / float(rows)},
                                {255, 255, 255, 255}});
        }
    }
    std::vector<int> indices;
    indices.reserve(std::size_t(columns * rows * 6));
    for (int j = 0; j < rows; ++j) {
        for (int i = 0; i < columns; ++i) {
            const int a = j * (columns + 1) + i;
            const int b = a + 1;
            const int c = a + columns + 1;
            const int d = c + 1;
            indices.insert(indices.end(), {a, b, d, a, d, c});
        }
    }
    renderer.drawMesh(*target_, vertices, indices);
}

} // namespace stage
