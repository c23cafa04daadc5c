#pragma once
// What the book logic asks of the graphics layer beyond its nodes and actions: the director's view,
// scene changes, the texture cache and sound. Every call is safe without a director (it then does
// nothing and answers "nothing"), so a page can be built and torn down in any state of the program.

#include "stage/backend.h"
#include "stage/scene.h"
#include "stage/touch.h"

#include <string>

namespace pagestage {

// --- view ---
// The design size.
stage::Size winSize();
// A view point (design units, origin top left) to the page's space (origin bottom left). Applied to a
// page point it gives the top-left point back.
stage::Point convertToGL(stage::Point viewPoint);
void setDepthTest(bool on);

// --- scenes ---
// Shows the scene from the next frame on.
void replaceScene(const stage::ScenePtr& scene);
// The scene on stage (a transition while one runs), or null.
stage::ScenePtr runningScene();
// Ends the program's loop at the next frame.
void end();
stage::TouchDispatcher* touchDispatcher();

// --- pictures ---
// Through the texture cache; null when the picture cannot be loaded.
stage::TexturePtr addImage(const std::string& path);

// --- sound ---
bool preloadMusic(const std::string& path);
bool playMusic(const std::string& path, bool loop);
void stopMusic();
void pauseMusic();
void resumeMusic();
bool preloadEffect(const std::string& path);
unsigned playEffect(const std::string& path);
void stopAllEffects();

// --- log ---
// Sends the layer's own reports (missing pictures and sounds, refused actions) to the engine log.
void routeStageLogToEngineLog();

} // namespace pagestage
