#pragma once

// Binds an in-process stand-in for the physics library into the simulator
// record. It answers like the library (unusable arguments give 0 and write
// nothing), plays a throw by resting the delivered stone where its vector
// points, and aborts when the engine calls it other than it promises to.
void BindPhysicsDouble();
