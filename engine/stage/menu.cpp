#include "stage/menu.h"

#include "stage/director.h"
#include "stage/log.h"

namespace stage {

namespace {
constexpr int kNormalTag = 1;
constexpr int kSelectedTag = 2;
constexpr int kDisabledTag = 3;
} // namespace

// --- MenuItem --------------------------------------------------------------------------------------------

MenuItem::MenuItem() {
    setAnchorPoint({0.5f, 0.5f});
    setCascadeOpacityAndColor(true);
}

void MenuItem::activate() {
    if (enabled_ && callback_) {
        callback_(*this);
    }
}

Rect MenuItem::rect() const {
    const Size s = contentSize();
    const Point p = position();
    return {p.x - s.width * anchorPoint().x, p.y - s.height * anchorPoint().y, s.width, s.height};
}

// --- MenuItemImage ---------------------------------------------------------------------------------------

MenuItemImage::MenuItemImage() = default;

std::shared_ptr<MenuItemImage> MenuItemImage::create(const std::string& normalFile,
                                                     const std::string& selectedFile, Callback callback,
                                                     const std::string& disabledFile) {
    auto item = std::make_shared<MenuItemImage>();
    const auto load = [](const std::string& file) -> SpritePtr {
        if (file.empty()) {
            return nullptr;
        }
        SpritePtr s = Sprite::create(file);
        if (!s) {
            log(LogLevel::Error, "menu item: missing picture " + file);
        }
        return s;
    };
    item->setImages(load(normalFile), load(selectedFile), load(disabledFile));
    item->setCallback(std::move(callback));
    return item;
}

void MenuItemImage::setImages(SpritePtr normal, SpritePtr selected, SpritePtr disabled) {
    for (SpritePtr* old : {&normal_, &selectedImage_, &disabled_}) {
        if (*old) {
            removeChild(*old, true);
        }
    }
    normal_ = std::move(normal);
    selectedImage_ = std::move(selected);
    disabled_ = std::move(disabled);
    const std::pair<SpritePtr*, int> images[] = {
        {&normal_, kNormalTag}, {&selectedImage_, kSelectedTag}, {&disabled_, kDisabledTag}};
    for (const auto& [image, tag] : images) {
        if (*image) {
            (*image)->setAnchorPoint({0, 0});
            (*image)->setPosition({0, 0});
            addChild(*image, 0, tag);
        }
    }
    setContentSize(normal_ ? normal_->contentSize() : Size{});
    updateImages();
}

void MenuItemImage::updateImages() {
    SpritePtr shown = normal_;
    if (!isEnabled()) {
        if (disabled_) {
            shown = disabled_;
        }
    } else if (isSelected() && selectedImage_) {
        shown = selectedImage_;
    }
    for (const SpritePtr& image : {normal_, selectedImage_, disabled_}) {
        if (image) {
            image->setVisible(image == shown);
        }
    }
}

void MenuItemImage::selected() {
    MenuItem::selected();
    updateImages();
}

void MenuItemImage::unselected() {
    MenuItem::unselected();
    updateImages();
}

void MenuItemImage::setEnabled(bool enabled) {
    MenuItem::setEnabled(enabled);
    updateImages();
}

// --- Menu ------------------------------------------------------------------------------------------------

Menu::Menu() {
    setTouchPriority(kMenuTouchPriority);
    setSwallowsTouches(true);
    setTouchEnabled(true);
    setCascadeOpacityAndColor(true);
    // Its origin is the window centre unless placed elsewhere.
    const Size win = contentSize();
    setPosition({win.width / 2, win.height / 2});
}

std::shared_ptr<Menu> Menu::create(const std::vector<MenuItemPtr>& items) {
    auto menu = std::make_shared<Menu>();
    int z = 0;
    for (const auto& item : items) {
        if (item) {
            menu->addChild(item, z);
        }
        ++z;
    }
    return menu;
}

MenuItemPtr Menu::itemForTouch(const Touch& touch) const {
    const Point location = touch.location();
    for (const auto& child : children()) {
        auto item = std::dynamic_pointer_cast<MenuItem>(child);
        if (!item || !item->isVisible() || !item->isEnabled()) {
            continue;
        }
        const Point local = item->convertToNodeSpace(location);
        const Size s = item->contentSize();
        if (Rect(0, 0, s.width, s.height).containsPoint(local)) {
            return item;
        }
    }
    return nullptr;
}

bool Menu::touchBegan(Touch& touch) {
    if (tracking_ && touch.id() == trackedId_) {
        touchCancelled(touch); // the end of the tracked touch was never delivered (dispatch was off)
    }
    if (tracking_ || !isVisible() || !enabled_) {
        return false;
    }
    for (const Node* p = parent(); p != nullptr; p = p->parent()) {
        if (!p->isVisible()) {
            return false;
        }
    }
    selected_ = itemForTouch(touch);
    if (!selected_) {
        return false; // not on an item: the touch goes on to lower priorities
    }
    tracking_ = true;
    trackedId_ = touch.id();
    selected_->selected();
    return true;
}

void Menu::touchMoved(Touch& touch) {
    MenuItemPtr item = itemForTouch(touch);
    if (item == selected_) {
        return;
    }
    if (selected_) {
        selected_->unselected();
    }
    selected_ = item;
    if (selected_) {
        selected_->selected();
    }
}

void Menu::touchEnded(Touch&) {
    // The call-back may change the tree; keep the menu and the item alive through it.
    NodePtr keep = weak_from_this().lock();
    MenuItemPtr item = std::move(selected_);
    selected_.reset();
    tracking_ = false;
    if (item) {
        item->unselected();
        item->activate();
    }
}

void Menu::touchCancelled(Touch&) {
    if (selected_) {
        selected_->unselected();
    }
    selected_.reset();
    tracking_ = false;
}

void Menu::onExit() {
    if (tracking_) {
        if (selected_) {
            selected_->unselected();
        }
        selected_.reset();
        tracking_ = false;
    }
    Layer::onExit();
}

} // namespace stage
