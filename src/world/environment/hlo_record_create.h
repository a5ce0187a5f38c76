// Creating the world object of one game-object record of the environment
// file: its attachment parts and its template are found or loaded, and the
// record goes to the spawn callback.  The level loader supplies the
// environment's services.  Main thread only.
#pragma once

#include <cstdint>

#include "world/environment/hlo_record_reader.h"

class CEnvInstance;
class CEnvObject;
class CHLO;
struct CharacterVariant;

// What creating a record needs of the level being loaded.
class HLOLevelServices {
 public:
  virtual ~HLOLevelServices() = default;
  // The loaded template of that name, or null.
  virtual CEnvObject* FindObject(const char* name) = 0;
  // Loads a template with a load kind (-1 any type); null on failure.
  virtual CEnvObject* LoadObjectByKind(int loadKind, const char* name) = 0;
  // While on, the texture manager marks every texture it fetches as new.
  virtual void MarkNewTextures(bool on) = 0;
  // Marks a template as an attachment template.
  virtual void MarkAttachmentTemplate(CEnvObject* templ) = 0;
  // A copy of the variant's base template wearing its texture, added to the
  // environment; null when it cannot be made.
  virtual CEnvObject* MakeCharacterTemplate(const CharacterVariant& variant) = 0;
  // The template's own type (0, 3, 4 or 5).
  virtual int TemplateType(const CEnvObject* templ) = 0;
  // The instance whose name has that case-insensitive hash, or null.
  virtual CEnvInstance* FindInstanceByHash(std::uint32_t hash) = 0;
};

using HLOSpawnCallback = CHLO* (*)(HLOSpawnRecord& record);

// Loads the record's attachment parts (each missing part is reported and
// skipped; a name outside the part list is reported to the level's author),
// finds its template (a character variant, or loaded with any type), and
// hands the record with its template, template type and parent instance to
// `spawn`.  Without a template it reports "Unable to load data for HLO ..."
// and creates nothing.  Answers the spawned object, or null.
CHLO* EnvFileCreateHLO(HLOSpawnRecord& record, const HLORecordExtras& extras, HLOLevelServices& level,
                       HLOSpawnCallback spawn);
