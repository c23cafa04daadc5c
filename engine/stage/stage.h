// The whole stage in one include: director, nodes, scenes and layers, sprites and textures, menus,
// actions, transitions, touches, and the backend interfaces.
#pragma once

#include "stage/action.h"
#include "stage/actions.h"
#include "stage/backend.h"
#include "stage/director.h"
#include "stage/geometry.h"
#include "stage/log.h"
#include "stage/menu.h"
#include "stage/node.h"
#include "stage/scene.h"
#include "stage/sprite.h"
#include "stage/touch.h"
#include "stage/transition.h"
