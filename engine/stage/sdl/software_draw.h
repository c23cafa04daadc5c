// Drawing pictures straight onto a 32-bit software surface (a window's image or a canvas), without
// SDL's renderer: copies, blends and resampled (turned, mirrored, sheared) pictures. Internal to
// stage/sdl/.
//
// Every pixel is computed from the picture, the placement and what lies under it alone, never from the
// clip rectangle: a part of the screen drawn again on its own gets exactly the pixels of the whole.
// Pictures are premultiplied ARGB (0xAARRGGBB); the target's alpha byte may be unused.
#pragma once

#include "stage/geometry.h"

#include <SDL.h>

namespace stage::sdl {

// Whether pictures can be drawn onto this surface here (32 bits a pixel, 0x00RRGGBB order).
bool drawableDirectly(const SDL_Surface* surface);

// Turns straight ARGB pixels into premultiplied ones, in place.
void premultiply(SDL_Surface* argb);

// Draws the `from` rectangle of `picture` upright onto the `to` rectangle of the target (stretched
// to it, nearest texel), within the target's clip rectangle. The colour multiplies the picture. An
// opaque picture at full opacity is copied, not blended.
void drawUpright(const SDL_Surface* picture, const SDL_Rect& from, SDL_Surface* target, const SDL_Rect& to,
                 Color4B color, bool opaque);

// Draws the `from` rectangle of `picture` onto the parallelogram with these corners: the images of the
// rectangle's bottom-left, bottom-right, top-right and top-left corners in target pixels. Pixels whose
// centres lie inside are drawn, sampled bilinearly, within the target's clip rectangle.
void drawTransformed(const SDL_Surface* picture, const SDL_Rect& from, const Point (&corners)[4],
                     Color4B color, SDL_Surface* target);

} // namespace stage::sdl
