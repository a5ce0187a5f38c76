// Reader of the game-object list of the environment file: one record per
// world object to create, each read into a spawn record and handed on, up to
// the word "HLOX".  Finding the templates and creating the objects is the
// level loader's, through the callback.  Main thread only.
#pragma once

#include "world/objects/hlo_spawn_record.h"

class EnvTextCursor;

// What one game-object record gives besides its spawn record.
struct HLORecordExtras {
  char parentName[128];  // "Root" for none
};

// Called once per record read in full: the record (its texture, parent and
// attachment names still to be resolved by the callee) and the parent name.
// The answer is not used.
using HLORecordCallback = void (*)(HLOSpawnRecord& record, const HLORecordExtras& extras, void* context);
// Called at the start of each record (the loader's progress point).
using HLOProgressCallback = void (*)(void* context);

// Reads the rows of one record that follow its keyword, for a file of the
// given version, into `record` (cleared first with HLOSpawnRecord::Init).
// False when the text ends, a value has the wrong form, a name does not fit
// or a list count is negative: the record is then incomplete and must not be
// used.  Mark indices outside the 600 marks are skipped, and stats links
// beyond 25 and attachments beyond 256 are read and dropped, each with a
// debug line naming the line of the text.
bool EnvFileReadHLORecord(EnvTextCursor& text, int version, HLOSpawnRecord& record, HLORecordExtras& extras);

// Reads the game-object list whose first token the caller has read into
// `token` (the list is empty when it is "HLOX"): each record is read and
// passed to `onRecord`, until "HLOX".  True when "HLOX" ended the list; false
// when the text ends or a record is damaged first, after a debug line naming
// the line (the records before it have been passed on).
bool EnvFileReadHLOList(EnvTextCursor& text, int version, const char* token, HLORecordCallback onRecord,
                        HLOProgressCallback progress, void* context);
