// Localised string tables: texts keyed by a 32-bit id, built from a base
// ".loc" file and up to seven further files layered over it, for one
// language at a time.
//
// ".loc" file (little-endian): "SLOC", u32 file set value, u32 language
// count, u32 string count, then somewhere "LANG" {u32 code, 8-bit name NUL}...
// "LEND", and "STRN" {u32 id, u32 language, 16-bit name 0, 16-bit text 0}...;
// the first "SEND" in the file is its last four bytes.  Tags are found as
// their first occurrence; 16-bit characters are narrowed to their low byte.
#pragma once

#include <cstdint>

inline constexpr int kLocaleMaxLayers = 8;

struct LocaleLanguage {
  std::uint32_t code;
  char* name;  // owned
};

struct LocaleLayer {
  char* fileName;             // owned
  LocaleLanguage* languages;  // owned; languageCount records
};

struct LocaleString {
  std::uint32_t id;
  char* text;  // owned
  char* name;  // owned
};

class CLocale {
 public:
  CLocale() = default;
  // Loads fileName as the base.
  explicit CLocale(const char* fileName);
  ~CLocale();
  CLocale(const CLocale&) = delete;
  CLocale& operator=(const CLocale&) = delete;

  // Frees every string and every layer; no layers, not sorted.
  void Clear();
  // Loads a base file for the current language, replacing everything.  1, or 0
  // when the file is missing or damaged (the table loaded before is kept).
  int Load(const char* fileName);
  // Adds a further file's strings over the table (a base load when no base is
  // loaded).  0, and nothing added, when it cannot be read, is damaged, has
  // another file set value or language count, lacks a language of the base,
  // or eight files are loaded already.
  int LoadLayer(const char* fileName);
  // Rebuilds the table for a language code from the base and each layer in
  // order; 1 when every file succeeded, else 0.  A base that fails keeps the
  // table as it was; a layer that fails adds nothing but keeps its place, so
  // a later call loads it again.
  int SetLanguage(std::uint32_t code);
  // The text of an id (the latest layer's when several files have it), or null.
  const char* GetString(std::uint32_t id);
  // The text of the first entry whose HashString(name) equals hash, or null.
  const char* FindTextByNameHash(std::uint32_t hash) const;
  // The id of the first entry whose name equals name exactly, or -1.
  std::int64_t FindIdByName(const char* name) const;

  std::uint32_t GetCurrentLanguage() const { return currentLanguage; }
  // Sets the language position used by later loads (call SetLanguage to rebuild).
  void SetCurrentLanguage(std::uint32_t language) { currentLanguage = language; }
  std::uint32_t GetLanguageCount() const { return languageCount; }
  // The name of a language code in the base file's table; null when absent.
  const char* GetLanguageName(std::uint32_t code) const;
  const char* GetCurrentLanguageName() const { return GetLanguageName(currentLanguage); }
  // The code of the first language whose name starts with text; 0 when none.
  std::uint32_t GetLanguageCodeByName(const char* text) const;
  std::uint32_t GetStringCount() const { return stringCount; }
  std::uint32_t GetLayerCount() const { return layerCount; }

  LocaleLayer layers[kLocaleMaxLayers] = {};
  LocaleString* strings = nullptr;
  std::uint32_t currentLanguage = 0;
  std::uint32_t languageCount = 0;
  std::uint32_t stringCount = 0;
  std::uint32_t baseStringCount = 0;
  std::uint32_t layerCount = 0;
  std::uint32_t fileSetValue = 0;
  // While non-zero, the player's nation leaves the voice set alone.
  std::uint32_t OverrideWord = 0;
  bool layering = false;
  bool sorted = false;

 private:
  int LoadFile(const char* fileName, bool layer, std::uint32_t code);
  // Lists a layer whose strings could not be built, without strings.
  void KeepLayerName(const char* fileName);
};

// The game's locale table (made at game start); null outside the game's life.
extern CLocale* g_Locale;
