#include "app/task_system.h"

void TTaskSystem::open(int, int) {}

bool TTaskSystem::isIdle() const { return true; }

void TTaskSystem::update() {}
