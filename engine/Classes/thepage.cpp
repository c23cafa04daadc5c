#include "thepage.h"

#include "enginelog.h"
#include "pagestage.h"
#include "sparse.h"

#include "stage/transition.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <log4cplus/loggingmacros.h>

#define PAGE_DEBUG(text) LOG4CPLUS_DEBUG(enginelog::logger(), text)
#define PAGE_INFO(text) LOG4CPLUS_INFO(enginelog::logger(), text)
#define PAGE_ERROR(text) LOG4CPLUS_ERROR(enginelog::logger(), text)

namespace {

const char* const kMusicTimer = "ThePage::check";

bool isEmpty(const char* text) {
    return text == nullptr || *text == '\0';
}

std::string textOf(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}

// Milliseconds to whole seconds, truncated towards zero.
int wholeSeconds(float milliseconds) {
    return sParse_truncToInt(milliseconds / 1000);
}

bool isTransition(int number) {
    return number >= 1 && number <= 7;
}

stage::ScenePtr makeTransition(int number, float duration, const stage::ScenePtr& next) {
    using stage::SlideEdge;
    switch (number) {
    case 1:
        return stage::RotoZoomTransition::create(duration, next);
    case 2:
        return stage::JumpZoomTransition::create(duration, next);
    case 3:
        return stage::SlideInTransition::create(duration, next, SlideEdge::Left);
    case 4:
        return stage::SlideInTransition::create(duration, next, SlideEdge::Right);
    case 5:
        return stage::SlideInTransition::create(duration, next, SlideEdge::Top);
    case 6:
        return stage::SlideInTransition::create(duration, next, SlideEdge::Bottom);
    case 7:
        return stage::ShrinkGrowTransition::create(duration, next);
    default:
        return nullptr;
    }
}

} // namespace

BookState& bookState() {
    static BookState state;
    return state;
}

ActionRun ActionRun::of(const SAction& action, const std::string& resourcePath) {
    ActionRun run;
    run.d = action.action_delay_time / 1000;
    run.n = action.action_repeat_num;
    run.u = action.unidirectionalMovement;
    run.rightDelay = action.toright_delay_time / 1000;
    run.leftDelay = action.toleft_delay_time / 1000;
    run.texturePath = resourcePath + textOf(action.texture_picture_file);
    return run;
}

// --- creation ------------------------------------------------------------------------------------------

std::shared_ptr<ThePage> ThePage::create() {
    return std::make_shared<ThePage>();
}

ThePage::ThePage() = default;

ThePage::~ThePage() {
    // A page that was never shown, or is torn down with the program, still owns its record.
    releaseScene();
}

void ThePage::releaseScene() {
    if (scene_ != nullptr) {
        sParse_release(scene_, 1);
        scene_ = nullptr;
    }
}

stage::Point ThePage::placeAt(const SPoint& topLeft, stage::Size size) {
    const stage::Point gl = pagestage::convertToGL({topLeft.x, topLeft.y});
    return {gl.x + size.width / 2, gl.y - size.height / 2};
}

stage::ScenePtr ThePage::scene(const char* dataPath) {
    BookState& book = bookState();
    PAGE_DEBUG(">>> ThePage::scene");
    book.nextJumpTag = 0;
    pagestage::setDepthTest(true);
    stage::ScenePtr scene = stage::Scene::create();
    PAGE_DEBUG("currentPage:" << book.currentPage);
    if (!scene) {
        PAGE_ERROR("场景创建出现了问题，场景为空");
        return nullptr;
    }
    // Any failure below leaves the scene without a layer: it is shown empty.
    [&] {
        PAGE_DEBUG("create layer...");
        std::shared_ptr<ThePage> layer = ThePage::create();
        if (!layer) {
            PAGE_ERROR("layer创建出现了问题，layer为空");
            return;
        }
        if (dataPath == nullptr) {
            PAGE_ERROR("layer->dataPathChar创建出现了问题，layer->dataPathChar为空");
            return;
        }
        layer->dataPathChar_ = dataPath;
        layer->resourcePath_ = dataPath;
        PAGE_DEBUG("sParse_parse");
        layer->scene_ = sParse_parse(book.currentPage);
        if (layer->scene_ == nullptr) {
            PAGE_ERROR("s创建出现了问题，s为空");
            return;
        }
        const SScene& s = *layer->scene_;
        PAGE_DEBUG("backgroundPath:" << textOf(s.scene_picture_file));
        if (isEmpty(s.scene_change)) {
            PAGE_ERROR("sceneChange创建出现了问题，sceneChange为空");
            return;
        }
        layer->transitionDuration_ = wholeSeconds(s.scene_enter_delay_time);
        if (isEmpty(s.scene_picture_file)) {
            PAGE_ERROR("backgroundNameString创建出现了问题，backgroundNameString为空");
            return;
        }
        if (layer->resourcePath_.empty()) {
            PAGE_ERROR("layer->resourceP创建出现了问题，layer->resourceP为空");
            return;
        }
        const std::string fullPath = layer->resourcePath_ + s.scene_picture_file;
        stage::SpritePtr background = stage::Sprite::create(fullPath);
        if (!background) {
            PAGE_ERROR("backgroundSprite创建出现了问题，backgroundSprite为空");
        } else {
            const stage::Size win = pagestage::winSize();
            background->setPosition({win.width / 2, win.height / 2});
            layer->addChild(background, 0);
        }
        PAGE_DEBUG("add layer...");
        scene->addChild(layer);
    }();
    PAGE_DEBUG("<<< ThePage::scene");
    return scene;
}

// --- life cycle ----------------------------------------------------------------------------------------

void ThePage::onEnter() {
    if (stage::TouchDispatcher* touches = pagestage::touchDispatcher()) {
        touches->addTargetedDelegate(this, 0, true);
    }
    stage::Layer::onEnter();
}

void ThePage::onEnterTransitionDidFinish() {
    stage::Layer::onEnterTransitionDidFinish();
    drawView();
}

void ThePage::onExit() {
    jumpPages_.clear();
    jumpTransitions_.clear();
    jumpDelays_.clear();
    pagestage::stopAllEffects();
    pagestage::stopMusic();
    if (stage::TouchDispatcher* touches = pagestage::touchDispatcher()) {
        touches->removeDelegate(this);
    }
    stage::Layer::onExit();
}

stage::MenuItem::Callback ThePage::bind(Callback callback) {
    std::weak_ptr<stage::Node> self = weak_from_this();
    return [self, callback](stage::MenuItem& sender) {
        if (auto node = self.lock()) {
            (static_cast<ThePage*>(node.get())->*callback)(sender);
        }
    };
}

// --- drawView ------------------------------------------------------------------------------------------

void ThePage::drawView() {
    BookState& book = bookState();
    PAGE_DEBUG(">>> ThePage::drawView");
    book.musicReplayCount = 1;
    book.previousPageAllowed = false;
    book.nextPageAllowed = false;
    actionNumber_ = kNoAction;
    jumpPages_.clear();
    jumpTransitions_.clear();
    jumpDelays_.clear();
    if (scene_ == nullptr) {
        PAGE_ERROR("s创建出现了问题，s为空");
        return;
    }

    transitionDuration_ = wholeSeconds(scene_->scene_enter_delay_time);
    if (const int number = sceneformat::transitionNumber(scene_->scene_change); isTransition(number)) {
        transition_ = number;
    }

    drawMusic();
    std::vector<stage::MenuItemPtr> items;
    drawButtons(items);
    drawSprites(items);

    menu_ = stage::Menu::create(items);
    menu_->setPosition({0, 0});
    addChild(menu_, 1);
    PAGE_DEBUG("<<< ThePage::drawView");
}

void ThePage::drawMusic() {
    if (isEmpty(scene_->scene_music)) {
        PAGE_ERROR("backgroundMusicName为空");
        return;
    }
    const std::string path = resourcePath_ + scene_->scene_music;
    PAGE_DEBUG("backgroundMusicFullPath " << path);
    if (path.empty()) {
        PAGE_ERROR("backgroundMusicFullPath为空");
        return;
    }
    backgroundMusicPath_ = path;
    pagestage::preloadMusic(path);
    int type = 0;
    if (scene_->scene_music_type == nullptr) {
        PAGE_DEBUG("musicType is NULL");
    } else if (*scene_->scene_music_type == '\0') {
        PAGE_ERROR("musicType为空");
    } else {
        type = sParse_toInt(scene_->scene_music_type);
    }
    musicType_ = type;
    PAGE_DEBUG("play music iMusicType=" << type);
    // A negative type would ask for billions of replays, one every 0.1 s: the music would restart for
    // ever. Books use -1 for "without end" elsewhere, so it loops like type 0.
    if (type <= 0) {
        pagestage::playMusic(path, true);
        return;
    }
    pagestage::playMusic(path, false);
    // The timer fires repeat + 1 times; N x 10 replays need a repeat count one lower.
    const long long replays = static_cast<long long>(type) * 10;
    const long long repeat = std::min<long long>(replays - 1, stage::kRepeatForever - 1);
    std::weak_ptr<stage::Node> self = weak_from_this();
    schedule(
        kMusicTimer,
        [self](float dt) {
            if (auto node = self.lock()) {
                static_cast<ThePage*>(node.get())->check(dt);
            }
        },
        kMusicReplayInterval, static_cast<unsigned>(repeat), 0);
}

void ThePage::check(float) {
    BookState& book = bookState();
    PAGE_DEBUG("ThePage::check musicReplayCount=" << book.musicReplayCount);
    pagestage::playMusic(backgroundMusicPath_, false);
    ++book.musicReplayCount;
}

void ThePage::drawButtons(std::vector<stage::MenuItemPtr>& items) {
    BookState& book = bookState();
    PAGE_DEBUG("draw buttons...");
    const int count = sParse_arraySize(scene_, ARRAY_BUTTON, nullptr);
    for (int b = 0; b < count && scene_->buttons != nullptr; ++b) {
        const SButton& button = scene_->buttons[b];
        const std::string fullPath = resourcePath_ + textOf(button.button_picture_file);
        const std::string name = textOf(button.button_name);
        Callback callback = nullptr;
        if (name == "button_left") {
            book.previousPageAllowed = true;
            callback = &ThePage::turnLeftCallback;
        } else if (name == "button_right") {
            book.nextPageAllowed = true;
            callback = &ThePage::turnRightCallback;
        } else if (name == "button_exit") {
            callback = &ThePage::menuCloseCallback;
        } else if (name == "button_home") {
            callback = &ThePage::HomeCallback;
        } else {
            PAGE_DEBUG("button without a role: " << name);
            continue;
        }
        auto item = stage::MenuItemImage::create(fullPath, fullPath, bind(callback));
        if (!item->normalImage()) {
            PAGE_ERROR("buttonPicture创建出现了问题，buttonPicture为空: " << fullPath);
        }
        if (callback == &ThePage::turnLeftCallback && !leftArrow_) {
            leftArrow_ = item;
        } else if (callback == &ThePage::turnRightCallback && !rightArrow_) {
            rightArrow_ = item;
        }
        item->setPosition(placeAt({button.button_rect.x, button.button_rect.y}, item->contentSize()));
        items.push_back(item);
    }
}

void ThePage::drawSprites(std::vector<stage::MenuItemPtr>& items) {
    BookState& book = bookState();
    PAGE_DEBUG("draw sprites...");
    const int count = sParse_arraySize(scene_, ARRAY_SPRITE, nullptr);
    for (int i = 0; i < count && scene_->sprites != nullptr; ++i) {
        const SSprite& s = scene_->sprites[i];
        // Counts by index: with two sprites of one name a lookup by name would answer the first one's
        // counts for both and walk past the second one's arrays.
        const int hotspots =
            s.hotspot_action != nullptr ? sParse_actionSizeAt(scene_, ARRAY_HOTSPOT_ACTION, i) : 0;
        int lastNumber = kNoAction;
        for (int j = 0; j < hotspots; ++j) {
            const SAction& a = s.hotspot_action[j];
            lastNumber = sceneformat::actionNumber(a.action_type);
            if (!isEmpty(a.action_music_file)) {
                pagestage::preloadEffect(resourcePath_ + a.action_music_file);
            }
        }
        const std::string fullPath = resourcePath_ + textOf(s.sprite_picture_file);
        if (hotspots > 0 && lastNumber == 10) {
            const SAction& jump = s.hotspot_action[hotspots - 1];
            auto item = stage::MenuItemImage::create(fullPath, fullPath, bind(&ThePage::jumpToOtherPage));
            item->setPosition(placeAt(s.sprite_position, item->contentSize()));
            item->setTag(book.nextJumpTag);
            jumpPages_.push_back(jump.toPageNumber);
            jumpTransitions_.push_back(textOf(jump.scene_change));
            jumpDelays_.push_back(sParse_truncToInt(jump.action_delay_time));
            ++book.nextJumpTag;
            items.push_back(item);
        }

        if (isEmpty(s.sprite_name)) {
            PAGE_ERROR("spriteName创建出现了问题，spriteName为空");
        }
        if (isEmpty(s.sprite_picture_file)) {
            PAGE_ERROR("spritePicture创建出现了问题，spritePicture为空");
        }
        if (fullPath.empty()) {
            PAGE_ERROR("spriteFullPath创建出现了问题，spriteFullPath为空");
        }
        std::printf("11111-------spritePosition----%f   %f\n", double(s.sprite_position.x),
                    double(s.sprite_position.y));
        std::shared_ptr<Sprite> sprite = Sprite::create(fullPath);
        if (!sprite) {
            PAGE_ERROR("sprite创建出现了问题，sprite为空: " << fullPath);
        } else {
            sprite->setPosition(placeAt(s.sprite_position, sprite->contentSize()));
            sprite->setReady(true);
            sprite->setTag(i);
            sprite->setPage(book.currentPage);
            sprite->setDataPath(dataPathChar_);
            sprite->setScale(s.sprite_zoom_rate);
            // Truncated, then only the low 8 bits count.
            sprite->setOpacity(static_cast<std::uint8_t>(
                static_cast<std::uint32_t>(sParse_truncToInt(s.sprite_ethreal_rate)) & 0xFFu));
            addChild(sprite, 0);
        }

        const int defaults =
            s.default_action != nullptr ? sParse_actionSizeAt(scene_, ARRAY_DEFAULT_ACTION, i) : 0;
        for (int j = 0; j < defaults; ++j) {
            const SAction& a = s.default_action[j];
            actionNumber_ = sceneformat::actionNumber(a.action_type);
            const ActionRun run = ActionRun::of(a, resourcePath_);
            if (!isEmpty(a.action_music_file)) {
                const std::string sound = resourcePath_ + a.action_music_file;
                pagestage::preloadEffect(sound);
                pagestage::playEffect(sound);
            }
            if (sprite) {
                runSpriteAction(actionNumber_, *sprite, a, run);
            }
        }
    }
}

// --- touches -------------------------------------------------------------------------------------------

bool ThePage::ccTouchBegan(stage::Touch& touch) {
    touchStart_ = pagestage::convertToGL(touch.locationInView());
    TouchJudgeAndAction(touchStart_);
    std::printf("11111-------pos----%f   %f\n", double(touchStart_.x), double(touchStart_.y));
    return true;
}

void ThePage::ccTouchMoved(stage::Touch&) {}

void ThePage::TouchJudgeAndAction(stage::Point point) {
    if (scene_ == nullptr || leaving_) {
        return; // the page is on its way out: its record is gone
    }
    // Turns the page point back into top-left coordinates, which hot spots are written in.
    const stage::Point p = pagestage::convertToGL(point);
    const int sprites = sParse_arraySize(scene_, ARRAY_SPRITE, nullptr);
    bool effectsStopped = false;
    std::vector<int> resetSprites;
    for (int i = 0; i < sprites && scene_->sprites != nullptr; ++i) {
        const SSprite& s = scene_->sprites[i];
        const int hotspots =
            s.hotspot_action != nullptr ? sParse_actionSizeAt(scene_, ARRAY_HOTSPOT_ACTION, i) : 0;
        for (int j = 0; j < hotspots; ++j) {
            const SAction& a = s.hotspot_action[j];
            const SRect& h = a.hotspot_position;
            const stage::Rect area(s.sprite_position.x + h.x, s.sprite_position.y + h.y, h.width, h.height);
            if (!area.containsPoint(p)) {
                continue;
            }
            // One touch resets things once: a second hot spot under the same finger must not silence
            // the first one's sound or stop the action it has just started.
            if (!effectsStopped) {
                pagestage::stopAllEffects();
                effectsStopped = true;
            }
            auto sprite = std::dynamic_pointer_cast<Sprite>(getChildByTag(i));
            if (!sprite) {
                PAGE_ERROR("sprite创建出现了问题，sprite为空: no sprite with tag " << i);
                continue;
            }
            if (std::find(resetSprites.begin(), resetSprites.end(), i) == resetSprites.end()) {
                resetSprites.push_back(i);
                sprite->setPosition(placeAt(s.sprite_position, sprite->contentSize()));
                if (actionNumber_ != 3 && actionNumber_ != 4) {
                    sprite->stopAllActions();
                    // Nothing rotates any more, and a blink stopped half way may have left the
                    // sprite hidden.
                    sprite->setReady(true);
                    sprite->setVisible(true);
                }
                const int animationTag = i - kAnimationTagOffset;
                if (stage::NodePtr animation =
                        animationTag != stage::kInvalidTag ? getChildByTag(animationTag) : nullptr) {
                    removeChild(animation, true);
                    sprite->setVisible(true);
                }
            }
            actionNumber_ = sceneformat::actionNumber(a.action_type);
            PAGE_DEBUG("TouchJudgeAndAction: sprite " << i << " hot spot " << j << " "
                                                      << textOf(a.action_type));
            const ActionRun run = ActionRun::of(a, resourcePath_);
            if (!isEmpty(a.action_music_file)) {
                const std::string sound = resourcePath_ + a.action_music_file;
                pagestage::preloadEffect(sound);
                pagestage::playEffect(sound);
            }
            if (actionNumber_ == 10) {
                continue; // the jump belongs to the hot spot's menu item
            }
            runSpriteAction(actionNumber_, *sprite, a, run);
        }
    }
}

void ThePage::ccTouchEnded(stage::Touch& touch) {
    BookState& book = bookState();
    const stage::Point end = pagestage::convertToGL(touch.locationInView());
    const float dx = end.x - touchStart_.x;
    if (book.nextPageAllowed && dx < -kSwipeDistance && book.currentPage < book.pageCount - 1 &&
        mayLeave("swipe", false)) {
        book.currentPage += 1;
        leave();
        stage::ScenePtr next = ThePage::scene(dataPathChar_.c_str());
        pagestage::replaceScene(
            stage::PageTurnTransition::create(float(transitionDuration_), next, false /*backwards*/));
    }
    if (book.previousPageAllowed && dx > kSwipeDistance && book.currentPage != 0 &&
        mayLeave("swipe", false)) {
        book.currentPage -= 1;
        leave();
        stage::ScenePtr next = ThePage::scene(dataPathChar_.c_str());
        pagestage::replaceScene(
            stage::PageTurnTransition::create(float(transitionDuration_), next, true /*backwards*/));
    }
    pagestage::setDepthTest(false);
}

// --- page changes --------------------------------------------------------------------------------------

bool ThePage::mayLeave(const char* who, bool needsTransition) const {
    if (leaving_) {
        // A second release before the next frame: the first change is on its way; another one would
        // replace it before it was shown and skip a page.
        PAGE_DEBUG(who << ": the page is already changing");
        return false;
    }
    if (needsTransition && !isTransition(transition_)) {
        PAGE_ERROR(who << ": the page has no valid transition (" << transition_
                       << "); the page change is refused");
        return false;
    }
    return true;
}

void ThePage::leave() {
    leaving_ = true;
    pagestage::stopAllEffects();
    releaseScene();
}

void ThePage::turnLeftCallback(stage::MenuItem&) {
    BookState& book = bookState();
    PAGE_DEBUG("ThePage::turnLeftCallback");
    if (book.currentPage > 0 && mayLeave("ThePage::turnLeftCallback", true)) {
        book.currentPage -= 1;
        leave();
        runPageTransition();
    }
}

void ThePage::turnRightCallback(stage::MenuItem&) {
    BookState& book = bookState();
    PAGE_DEBUG("ThePage::turnRightCallback");
    if (transition_ == 3) {
        transition_ = 4; // the next page comes in from the right
    }
    if (book.currentPage < book.pageCount - 1 && mayLeave("ThePage::turnRightCallback", true)) {
        book.currentPage += 1;
        leave();
        runPageTransition();
    }
}

void ThePage::HomeCallback(stage::MenuItem&) {
    BookState& book = bookState();
    PAGE_DEBUG("ThePage::HomeCallback");
    if (!mayLeave("ThePage::HomeCallback", false)) {
        return;
    }
    leave();
    book.currentPage = 0;
    stage::ScenePtr next = ThePage::scene(dataPathChar_.c_str());
    pagestage::replaceScene(stage::RotoZoomTransition::create(float(transitionDuration_), next));
}

void ThePage::menuCloseCallback(stage::MenuItem&) {
    PAGE_DEBUG("ThePage::menuCloseCallback");
    ThePage::Exit();
}

void ThePage::Exit() {
    pagestage::end();
}

std::shared_ptr<ThePage> ThePage::onStage() {
    stage::ScenePtr scene = pagestage::runningScene();
    if (!scene || std::dynamic_pointer_cast<stage::TransitionScene>(scene)) {
        return nullptr;
    }
    for (const stage::NodePtr& child : scene->children()) {
        if (auto page = std::dynamic_pointer_cast<ThePage>(child)) {
            return page;
        }
    }
    return nullptr;
}

void ThePage::keyPressed(stage::Key key) {
    switch (key) {
    case stage::Key::Escape:
        PAGE_INFO("ThePage::keyPressed: Escape ends the book");
        Exit();
        return;
    case stage::Key::Left:
    case stage::Key::Right:
        if (auto page = onStage()) {
            page->pressArrow(key == stage::Key::Right);
        }
        return;
    case stage::Key::Other:
        return;
    }
}

bool ThePage::pressArrow(bool forward) {
    const stage::MenuItemPtr& arrow = forward ? rightArrow_ : leftArrow_;
    stage::TouchDispatcher* touches = pagestage::touchDispatcher();
    // What keeps a finger from pressing the arrow keeps the key from it too.
    if (!arrow || !menu_ || leaving_ || touches == nullptr || !touches->isDispatchEvents() ||
        !touches->hasDelegate(menu_.get()) || !menu_->isEnabled() || !menu_->isVisible() ||
        !arrow->isEnabled() || !arrow->isVisible()) {
        return false;
    }
    PAGE_DEBUG("ThePage::pressArrow: " << (forward ? "Right" : "Left"));
    arrow->activate();
    return true;
}

void ThePage::jumpToOtherPage(stage::MenuItem& sender) {
    BookState& book = bookState();
    PAGE_DEBUG("ThePage::jumpToOtherPage");
    const int t = sender.tag();
    if (t < 0 || std::size_t(t) >= jumpPages_.size()) {
        PAGE_ERROR("ThePage::jumpToOtherPage: no jump hot spot with tag " << t);
        return;
    }
    const int named = sceneformat::transitionNumber(jumpTransitions_[std::size_t(t)].c_str());
    const int transition = isTransition(named) ? named : transition_;
    // Refused as a whole: nothing of the page changes when the jump cannot be shown.
    if (leaving_ || !isTransition(transition)) {
        mayLeave("ThePage::jumpToOtherPage", true);
        return;
    }
    transition_ = transition;
    book.currentPage = jumpPages_[std::size_t(t)];
    const float delay = float(jumpDelays_[std::size_t(t)]) / 1000.0f;
    PAGE_DEBUG("actionDelayTime==========:" << delay);
    transitionDuration_ = sParse_truncToInt(delay);
    leave();
    runPageTransition();
}

void ThePage::runPageTransition() {
    if (!isTransition(transition_)) {
        PAGE_ERROR("ThePage::runPageTransition: no valid transition (" << transition_ << "); no page built");
        return;
    }
    stage::ScenePtr next = ThePage::scene(dataPathChar_.c_str());
    if (!next) {
        return;
    }
    pagestage::replaceScene(makeTransition(transition_, float(transitionDuration_), next));
}
