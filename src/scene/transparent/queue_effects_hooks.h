// The transparent queue's part of the effect hooks: particle billboards and
// trail strips go into the queue as sprite and trail-point items, and effects
// ask the queue for the distance bucket of a point.  Main thread only.
#pragma once

class CSpriteRender;
class DepthSortQueue;

// Points the effect hooks' bucket, sprite and trail entries at the queue
// (null takes them out again); billboards are drawn from the particle sheet
// (which must outlive the hooks) and trails from its `trailFrame`.
void InstallQueueEffectsHooks(DepthSortQueue* queue, CSpriteRender* particleSprites, int trailFrame);
