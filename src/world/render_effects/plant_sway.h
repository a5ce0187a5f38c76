// Swaying plants: the render-effects file gives every instance of a plant
// template a sway record of its own (random scale, rate and phase) and makes
// the sway step the instance's per-frame hook, run before it is drawn.
// Main thread only.
#pragma once

class CEnvInstance;
class CEnvironment;
class CEnvObject;

// Every listed instance whose template is `object` gets a record kept by the
// environment (CEnvironment::PlantSways): scale random in [scaleMin,
// scaleMax], rate random in [rateMin, rateMax] (degrees per second), phase
// random in [0, 360), and the sway direction (0.5, 0, 0.5) turned into the
// instance's local frame; its pre-draw hook becomes PlantSwayHook.  Answers
// the instances given a record.
int AttachPlantSway(CEnvironment* environment, CEnvObject* object, float scaleMin, float scaleMax, float rateMin,
                    float rateMax);
// The pre-draw hook of a swaying instance: one sway step (SwayStep) of the
// record by the game clock's frame time (none without a game clock).
void PlantSwayHook(CEnvInstance* instance, void* record);
