// backdrop.cpp -- one 320 x 600 picture, drawn twice so the window is always covered
#include "present/backdrop.h"

#include <allegro.h>

#include "state/assets.h"
#include "state/game_state.h"

namespace {
constexpr int backdropWidth = 320;
constexpr int backdropHeight = 600;
constexpr int32_t backdropSpeed = 3;  // pixels per playing frame
}  // namespace

void drawBackdrop() {
    blit(backdrop, backBuffer, 0, 0, 0, game.backdropScroll - backdropHeight, backdropWidth,
         backdropHeight);
    blit(backdrop, backBuffer, 0, 0, 0, game.backdropScroll, backdropWidth, backdropHeight);
    game.backdropScroll += backdropSpeed;
    if (game.backdropScroll > backdropHeight) game.backdropScroll = 0;
}
