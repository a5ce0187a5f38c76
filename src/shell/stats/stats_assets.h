// The binding of the stats records' assets to a level: each record keeps,
// beside every asset name, the engine object resolved for it when a world
// object using the record is set up in a level; a level start clears them so
// that each level resolves its own.  At level load the soldiers take their
// skins by role and the character render-effect files are read.  Main
// thread only.
#pragma once

#include <string>

class CEnvObject;
class CHLO;
class CTexture;
struct HLOSpawnRecord;

// The model template of that name in the environment (loaded when it is
// not there yet); null with the box "Unable to find model %s".
CEnvObject* FindModel(const char* name);
// The level texture of that name; null with "Unable to find texture %s".
CTexture* FindTexture(const char* name);

// Level start, before objects are made: every resolved object of the
// structure, weapon, soldier-kind, vehicle-kind, feature and door records
// back to none.
void ClearResolvedAssets();
// A world object being set up: its record's model, second model and texture
// (not for uniforms), each when named and not resolved yet; then by kind the
// building's and feature's further model, the vehicle's further model and
// set-up, the soldier's set-up (the texture its level record names becomes
// its skin), a weapon's assets.
void BindObjectAssets(CHLO* object);
// The weapon assets of a weapon record: its shadow model, texture, models and
// six animations (a missing animation shows "Unable to load animation %s").
void BindWeaponAssets(void* weaponRecord);
// Level load: every soldier of every side takes the first skin of its role
// in the player's nationality (the local player's choice in a multiplayer
// session, values of 4 or more counting 0), then the characters' and the
// equipment and weapons render-effect files are read.
void ApplySkinsAndCharacterEffects();
// The nationality skins are chosen with (0 UK, 1 US).
int SkinNationality();
// The preload of connector objects, equipment models and skin textures; only
// when preloading is switched on at start-up (no letter switches it on).
void PreloadStatsAssets();
extern bool g_PreloadStatsAssets;
// The file of a skin texture: the first of "<name>.dds", "<name>.png" and
// "<name>.bmp" that opens; false when none does.
bool FindSkinTextureFile(const char* name, std::string* file);
