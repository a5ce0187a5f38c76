// Start-up and shut-down of the collision layer's process-wide tables, for
// the framework's own use.
#pragma once

// The geometry-type registry for up to maxTypes types; false when
// allocation fails.
bool McdGeometryRegistryCreate(int maxTypes);
void McdGeometryRegistryDestroy();
// The largest type count the registry and interaction table accept.
int McdGeometryGetMaxTypeCount();

// The interaction table and line-segment table for maxTypes types.
bool McdInteractionTableCreate(int maxTypes);
void McdInteractionTableDestroy();
