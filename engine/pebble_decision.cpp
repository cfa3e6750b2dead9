// pebble's part of the front end: its shot selection, and no command of its own.
#include "engine_decision.h"
#include "shot_selection.h"

ShotVector DecideShot()
{
    return ChooseShot();
}

void HandleOtherCommand(const char *, const char *) {}
