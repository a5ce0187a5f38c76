// The worn and carried parts (head-wear, pouches, packs, glasses, beards)
// that game objects of the environment file may hang on their connectors.
// A connector object outside this list is reported to the level's author.
#pragma once

// Whether an upper-case part name is in the list (compared by name hash).
bool EnvFileIsAttachmentName(const char* name);
