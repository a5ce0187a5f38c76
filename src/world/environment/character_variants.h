// Character variants: object names of the environment file that are not
// templates of their own but a copy of one of two base character templates
// wearing a texture of their own.  The table is built in; the game enables
// it and sets the two base templates.  Main thread only.
#pragma once

class CEnvObject;
class CEnvironment;

struct CharacterVariant {
  const char* name;         // object name, compared exactly
  int baseSlot;             // 0 or 1: which base template is copied
  const char* textureName;  // the texture the copy wears
};

// The built-in table, ended by a record with a null name.
extern const CharacterVariant CharacterVariantTable[];

// The variant record of that object name (case-sensitive, first match), or
// null when the table is disabled or holds no such name.
const CharacterVariant* EnvFileFindCharacterVariant(const char* name);
// Lets the environment file's reader look names up in the table (true) or
// not (false).
void EnvFileEnableCharacterVariants(bool enabled);
// The base template of slot 0 or 1; null when unset or for another slot.
CEnvObject* EnvFileCharacterBaseTemplate(int slot);
// Sets the base template of slot 0 or 1; other slots are ignored.
void EnvFileSetCharacterBaseTemplate(int slot, CEnvObject* base);
// Disables the table and clears both base-template slots.
void EnvFileResetCharacterVariants();

// A new template copied from the base template of the variant's slot (its
// meshes, trees and skins shared, the copy marked shared), named after the
// variant and wearing the variant's texture from the environment's texture
// library; the environment adds it to its template list.  Null when the
// slot holds no base template (nothing is added then).
CEnvObject* EnvFileMakeCharacterTemplate(CEnvironment* environment, const CharacterVariant& variant);
