// machine.h -- the platform the game runs on, chosen once before start-up
#pragma once

#include "platform/platform.h"

// Chooses the platform; called by main before start-up (the headless one until then).
void useMachine(const Platform& platform);

// The platform in use.
const Platform& machine();
