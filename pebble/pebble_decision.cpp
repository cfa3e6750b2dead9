#include "pebble_decision.h"

#include "shot_selection.h"

namespace {

ShotVector ChooseShotWithoutContext(void *)
{
    return ChooseShot();
}

}  // namespace

EngineDecision PebbleDecision()
{
    return {ChooseShotWithoutContext, nullptr};
}
