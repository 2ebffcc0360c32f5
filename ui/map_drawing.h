// Pictures of the territory map: the squares of `Map` scaled into a rectangle
// of any canvas, filled with their owners' colours, outlined along borders,
// this year's changes hatched, and the state names written into their regions.
// Call on the user-interface thread (the map and the game state are read).
#pragma once

#include <cstdint>

#include "controls/classic.h"
#include "game/game_state.h"

class QPainter;

namespace kordalt {

// The colour of each state (0xBBGGRR).
extern const OneBased<TColor, MaxGos> GosColors;

// How DrawMap draws the map.
struct TMapView {
    // The renderer: 2 (the default), 3 or 4; 1 or any other value gives 1.
    int32_t MapMode = 2;
    // Whether the state names are written.
    bool MapShowNames = true;
};
extern TMapView MapView;

// The renderers change the painter's pen, brush and font style and leave them
// so. Nothing is drawn without a map.
void DrawMap(QPainter& Canvas, const TRect& R);
// Renderer 3, whatever MapMode holds.
void DrawMapPreview(QPainter& Canvas, const TRect& R);

// The known world of state H: H and its neighbours.
void DrawMapMode1(QPainter& Canvas, const TRect& R, uint8_t H);
// The known world of state H with this year's changes (the default view).
void DrawMapMode2(QPainter& Canvas, const TRect& R, uint8_t H);
// The whole world with this year's changes (also the preview).
void DrawMapMode3(QPainter& Canvas, const TRect& R);
// The whole world.
void DrawMapMode4(QPainter& Canvas, const TRect& R);

TRect OffsetRectBy(const TRect& R, int DX, int DY);
// R grown by DX on the left and on the right, by DY at the top and the bottom.
TRect InflateRectBy(const TRect& R, int DX, int DY);

}  // namespace kordalt
