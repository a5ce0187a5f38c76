// Plugs the shadow code into the modules that call it without knowing it:
// the object-file reader builds the shadow faces of shadow-casting nodes,
// a freed mesh frees them, a posed skin builds its volume, animated objects
// ask for their light's direction and strength and draw their skins'
// volumes, a plain instance sets its shadow light before it queues its
// template's shadow, and the transparent queue draws queued rigid shadows.  Called
// once at engine start-up, before any template is read.  Main thread only.
#pragma once

class CSkin;
class DepthSortQueue;

void InstallShadowHooks();
// The queue's draw of queued shadows (ShadowsDrawVolumes); the queue's other hooks stay.
void InstallShadowQueueHook(DepthSortQueue* queue);
// Takes the queue's shadow draw out again (other owners' hooks stay).
void RemoveShadowQueueHook(DepthSortQueue* queue);
// Frees a skin's shadow faces.
void ShadowsFreeSkinFaces(CSkin* skin);
