// Menus of picture buttons. A menu is a touch layer with the menu priority that swallows what it claims.
// A press on an item selects it; moving re-selects whatever item is under the finger; releasing over an
// item fires that item's call-back (during touch delivery, between frames). Releasing elsewhere cancels.
#pragma once

#include "stage/scene.h"
#include "stage/sprite.h"

#include <functional>

namespace stage {

class MenuItem;
using MenuItemPtr = std::shared_ptr<MenuItem>;

class MenuItem : public Node {
public:
    using Callback = std::function<void(MenuItem& sender)>;
    MenuItem();

    void setCallback(Callback callback) { callback_ = std::move(callback); }
    // Fires the call-back when enabled.
    virtual void activate();
    virtual void selected() { selected_ = true; }
    virtual void unselected() { selected_ = false; }
    virtual void setEnabled(bool enabled) { enabled_ = enabled; }
    bool isEnabled() const { return enabled_; }
    bool isSelected() const { return selected_; }
    // The item's rectangle in its parent's space.
    Rect rect() const;

private:
    Callback callback_;
    bool enabled_ = true;
    bool selected_ = false;
};

// An item drawn with a normal, a selected and an optional disabled picture (children tagged 1, 2, 3).
// Its size is the normal picture's size; a missing picture leaves that image out (size 0 for the normal).
class MenuItemImage : public MenuItem {
public:
    static std::shared_ptr<MenuItemImage> create(const std::string& normalFile,
                                                 const std::string& selectedFile, Callback callback,
                                                 const std::string& disabledFile = std::string());
    MenuItemImage();
    void setImages(SpritePtr normal, SpritePtr selected, SpritePtr disabled);

    void selected() override;
    void unselected() override;
    void setEnabled(bool enabled) override;
    const SpritePtr& normalImage() const { return normal_; }
    const SpritePtr& selectedImage() const { return selectedImage_; }

private:
    void updateImages();

    SpritePtr normal_;
    SpritePtr selectedImage_;
    SpritePtr disabled_;
};

class Menu : public Layer {
public:
    // Items get z-orders 0, 1, 2, ... in list order. The menu sits at the window centre by default.
    static std::shared_ptr<Menu> create(const std::vector<MenuItemPtr>& items);
    Menu();

    void setEnabled(bool enabled) { enabled_ = enabled; }
    bool isEnabled() const { return enabled_; }
    MenuItem* selectedItem() const { return selected_.get(); }

    bool touchBegan(Touch& touch) override;
    void touchMoved(Touch& touch) override;
    void touchEnded(Touch& touch) override;
    void touchCancelled(Touch& touch) override;
    void onExit() override;

private:
    // The first item (in child order) whose rectangle holds the touch: the bottom-most of overlapping ones.
    MenuItemPtr itemForTouch(const Touch& touch) const;

    bool enabled_ = true;
    bool tracking_ = false;
    int trackedId_ = 0;
    MenuItemPtr selected_;
};

} // namespace stage
