// machine.cpp -- the platform chosen for this run
#include "spine/machine.h"

#include "platform/headless.h"

namespace {
const Platform* current = &headlessPlatform;
}  // namespace

void useMachine(const Platform& platform) { current = &platform; }

const Platform& machine() { return *current; }
