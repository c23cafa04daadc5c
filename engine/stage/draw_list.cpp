#include "stage/draw_list.h"

namespace stage {

bool DrawList::Command::operator==(const Command& o) const {
    if (kind != o.kind) {
        return false;
    }
    switch (kind) {
    case Kind::Clear:
        return color == o.color;
    case Kind::Clip:
        return rect == o.rect;
    case Kind::NoClip:
        return true;
    case Kind::Texture:
        return serial == o.serial && rect == o.rect && color == o.color && corners[0] == o.corners[0] &&
               corners[1] == o.corners[1] && corners[2] == o.corners[2] && corners[3] == o.corners[3];
    }
    return false;
}

void DrawList::reset() {
    commands_.clear();
    complete_ = true;
}

bool DrawList::sameAs(const DrawList& other) const {
    return complete_ && other.complete_ && commands_ == other.commands_;
}

void DrawList::playBack(Renderer& renderer) const {
    renderer.beginFrame();
    for (const Command& c : commands_) {
        switch (c.kind) {
        case Command::Kind::Clear:
            renderer.clear(c.color);
            break;
        case Command::Kind::Clip:
            renderer.setClipRect(&c.rect);
            break;
        case Command::Kind::NoClip:
            renderer.setClipRect(nullptr);
            break;
        case Command::Kind::Texture:
            renderer.drawTexture(*c.texture, c.rect, c.corners, c.color);
            break;
        }
    }
    renderer.endFrame();
}

TexturePtr DrawList::createRenderTarget(int, int) {
    complete_ = false;
    return nullptr;
}

void DrawList::setRenderTarget(const TexturePtr& target) {
    if (target) {
        complete_ = false;
    }
}

void DrawList::beginFrame() {
    reset();
}

void DrawList::clear(Color4B color) {
    Command c(Command::Kind::Clear);
    c.color = color;
    commands_.push_back(c);
}

void DrawList::setClipRect(const Rect* rect) {
    Command c(rect != nullptr ? Command::Kind::Clip : Command::Kind::NoClip);
    if (rect != nullptr) {
        c.rect = *rect;
    }
    commands_.push_back(c);
}

void DrawList::drawTexture(const Texture& texture, const Rect& source, const Point (&corners)[4],
                           Color4B color) {
    Command c(Command::Kind::Texture);
    c.texture = &texture;
    c.serial = texture.serial();
    c.rect = source;
    for (int i = 0; i < 4; ++i) {
        c.corners[i] = corners[i];
    }
    c.color = color;
    commands_.push_back(c);
}

void DrawList::drawMesh(const Texture&, const std::vector<MeshVertex>&, const std::vector<int>&) {
    complete_ = false;
}

} // namespace stage
