#include "sprite.h"

std::shared_ptr<Sprite> Sprite::create(const std::string& file) {
    auto sprite = std::make_shared<Sprite>();
    if (!sprite->initWithFile(file)) {
        return nullptr;
    }
    return sprite;
}

bool Sprite::containsTouchLocation(const stage::Touch& touch) const {
    const stage::Point local = convertToNodeSpace(touch.location());
    const stage::Size size = contentSize();
    return stage::Rect(0, 0, size.width, size.height).containsPoint(local);
}
