// world_fixture.h -- a game in progress on an empty map, and frame checks against the sprite sheet
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "state/game_state.h"
#include "support/headless_session.h"

// A rectangle of the sprite sheet and the frame position of its top-left corner.
struct Placed {
    int sourceX, sourceY, width, height;
    int x, y;
};

// The sheet's pictures, written out from the art layout rather than taken from the
// game's own tables, so a wrong table entry shows up.
Placed shipPicture(int frame, int x, int y);
Placed gunnerPicture(int frame, int x, int y);
Placed explosionPicture(int frame, int x, int y);
Placed diverPicture(int x, int y);
Placed shotPicture(int x, int y);

// Colour the frame is filled with before a step, so masked pixels stay visible.
constexpr int backgroundColour = 77;
void fillFrame();

// The whole 320 x 300 frame equals the background with the pictures laid over it in
// order, each copying only its non-zero sheet pixels and clipped to the frame.
::testing::AssertionResult frameShows(const std::vector<Placed>& pictures);

// The picture's ink is in backBuffer at its place (backBuffer may be of any size).
::testing::AssertionResult inkShows(const Placed& picture);

// Sheet preconditions: a picture holds both ink and mask; two rectangles differ.
bool hasInkAndMask(const Placed& p);
bool picturesDiffer(const Placed& a, const Placed& b);

// Stamps a small mark of its own into each of the sheet's ship, gunner and explosion
// pictures (in the loaded sheet of this test's session), so that a wrong frame is
// told apart whatever the art looks like.
void stampFramesApart();

// Screen position of a map cell at the new-game scroll (scrollY 2699, topRow 270).
constexpr int cellScreenX(int column) { return column * 10; }
constexpr int cellScreenY(int row) { return row * 10 - 2699; }

// A game just started from the title screen, with the sheet's frames stamped apart, on an empty map
// with the ship far off in the top-left corner, the frame filled with the background and no sounds
// recorded.
class WorldTest : public HeadlessGame {
protected:
    void SetUp() override;
    void TearDown() override;
    // Starts the game again as above (after a change a case should not carry over).
    void newGame();
    // Lets player shot `slot` fly with its corner at (x, y).
    void flyPlayerShot(int slot, int x, int y);
    int blastsPlayed() const;
};
