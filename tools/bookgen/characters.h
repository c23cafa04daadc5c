#pragma once
// The cast of the sample books, each drawn on a transparent picture of a fixed
// size (the size is what the engine uses as the sprite's size in design units).

#include <QColor>
#include <QImage>

namespace characters {

enum class NavKind { Left, Right, Home, Exit };

QImage sunRays();                               // 230 x 230, the rays turn behind the face
QImage sunFace();                               // 140 x 140
QImage cow();                                   // 240 x 200
QImage frog();                                  // 140 x 120
QImage duck();                                  // 140 x 120, sitting in water
QImage sheep();                                 // 200 x 160
QImage butterfly();                             // 100 x 86
QImage signpost();                              // 160 x 180, a bird on its board
QImage balloon(const QColor& colour);           // 130 x 230
QImage balloonBunch();                          // 170 x 270
QImage present();                               // 200 x 180
QImage starFace();                              // 130 x 130
QImage sparkle();                               // 64 x 64
QImage playButton();                            // 200 x 200
QImage halo();                                  // 250 x 250
QImage bird(int frame);                         // 130 x 110; frames 0 ... 3 flap the wings
QImage chick(int frame);                        // 110 x 110; frames 0 ... 3: sit, flap and cheep
QImage strip(QImage (*frame)(int), int frames); // frames side by side in one row
QImage windmillSails();                         // 280 x 280
QImage bee();                                   // 90 x 76
QImage moon();                                  // 200 x 200
QImage owl();                                   // 150 x 180
QImage bunny();                                 // 140 x 170
QImage nightStar(const QColor& colour);         // 70 x 70
QImage againButton();                           // 250 x 120
QImage navButton(NavKind kind);                 // 96 x 96

// The second book.
QImage circleBuddy();          // 180 x 180
QImage squareBuddy();          // 180 x 180
QImage triangleBuddy();        // 200 x 180
QImage paintBlob(int variant); // 170 x 150, nearly white so a tint shows its colour

} // namespace characters
