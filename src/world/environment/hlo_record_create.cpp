#include "world/environment/hlo_record_create.h"

#include <cstring>

#include "foundation/system/message_box.h"
#include "foundation/text/hash.h"
#include "world/environment/attachment_parts.h"
#include "world/environment/character_variants.h"

CHLO* EnvFileCreateHLO(HLOSpawnRecord& record, const HLORecordExtras& extras, HLOLevelServices& level,
                       HLOSpawnCallback spawn) {
  // Attachment parts: their textures are marked as new while they load.
  level.MarkNewTextures(true);
  for (const HLOAttachment& a : record.attachments) {
    if (!EnvFileIsAttachmentName(a.objectName))
      WarningBox("** FIX NOW PLEASE - Connector object \"%s\" needed in nonStatedConnectorObjectArray!!! **\n ",
                 a.objectName);
    CEnvObject* part = level.FindObject(a.objectName);
    if (!part) part = level.LoadObjectByKind(a.loadKind, a.objectName);
    if (!part) {
      WarningBox("Unable to find connector object \"%s\"\n for Object \"%s\"\n", a.objectName, record.objectName);
      continue;
    }
    level.MarkAttachmentTemplate(part);
  }
  level.MarkNewTextures(false);

  CEnvObject* templ = level.FindObject(record.templateName);
  if (!templ) {
    if (const CharacterVariant* variant = EnvFileFindCharacterVariant(record.templateName))
      templ = level.MakeCharacterTemplate(*variant);
    else
      templ = level.LoadObjectByKind(-1, record.templateName);
  }
  if (!templ) {
    WarningBox("Unable to load data for HLO %s\nObject will be ignored", record.objectName);
    return nullptr;
  }
  record.templ = templ;
  record.templateKind = level.TemplateType(templ);
  record.groundInstance =
      std::strcmp(extras.parentName, "Root") == 0 ? nullptr : level.FindInstanceByHash(HashStringNoCase(extras.parentName));
  return spawn ? spawn(record) : nullptr;
}
