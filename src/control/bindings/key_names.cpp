#include "control/bindings/key_names.h"

#include <cstring>

const KeyNameEntry KeyNameTable[kKeyNameCount] = {
    {"ESC", 1},           {"1", 2},           {"2", 3},           {"3", 4},
    {"4", 5},             {"5", 6},           {"6", 7},           {"7", 8},
    {"8", 9},             {"9", 10},          {"0", 11},          {"MINUS", 12},
    {"EQUALS", 13},       {"BACKSPACE", 14},  {"TAB", 15},        {"Q", 16},
    {"W", 17},            {"E", 18},          {"R", 19},          {"T", 20},
    {"Y", 21},            {"U", 22},          {"I", 23},          {"O", 24},
    {"P", 25},            {"LBRACE", 26},     {"RBRACE", 27},     {"RETURN", 28},
    {"LCTRL", 29},        {"A", 30},          {"S", 31},          {"D", 32},
    {"F", 33},            {"G", 34},          {"H", 35},          {"J", 36},
    {"K", 37},            {"L", 38},          {"SEMICOLON", 39},  {"QUOTE", 40},
    {"BACKQUOTE", 41},    {"LSHIFT", 42},     {"BACKSLASH", 43},  {"Z", 44},
    {"X", 45},            {"C", 46},          {"V", 47},          {"B", 48},
    {"N", 49},            {"M", 50},          {"COMMA", 51},      {"FULLSTOP", 52},
    {"FORWARDSLASH", 53}, {"RSHIFT", 54},     {"KP_STAR", 55},    {"LALT", 56},
    {"SPACE", 57},        {"CAPSLOCK", 58},   {"F1", 59},         {"F2", 60},
    {"F3", 61},           {"F4", 62},         {"F5", 63},         {"F6", 64},
    {"F7", 65},           {"F8", 66},         {"F9", 67},         {"F10", 68},
    {"NUMLOCK", 69},      {"SCROLLLOCK", 70}, {"KP_7", 71},       {"KP_8", 72},
    {"KP_9", 73},         {"KP_MINUS", 74},   {"KP_4", 75},       {"KP_5", 76},
    {"KP_6", 77},         {"KP_PLUS", 78},    {"KP_1", 79},       {"KP_2", 80},
    {"KP_3", 81},         {"KP_0", 82},       {"KP_FULLSTOP", 83}, {"KP_FULLSTOP", 83},
    {"SLASH", 86},        {"F11", 87},        {"F12", 88},        {"RCTRL", 285},
    {"KP_BACKSLASH", 309}, {"RALT", 312},     {"HOME", 327},      {"UPARROW", 328},
    {"PAGEUP", 329},      {"LEFTARROW", 331}, {"RIGHTARROW", 333}, {"END", 335},
    {"DOWNARROW", 336},   {"PAGEDOWN", 337},  {"INSERT", 338},    {"DELETE", 339},
    {"KPENTER", 284},     {"IGNORE", 4422},
};

int KeyCodeFromName(const char* name, std::size_t length) {
  if (!name) return -1;
  for (const KeyNameEntry& row : KeyNameTable)
    if (std::strlen(row.name) == length && std::memcmp(row.name, name, length) == 0) return row.code & 0xFFFF;
  return -1;
}

int KeyCodeFromName(const char* name) { return name ? KeyCodeFromName(name, std::strlen(name)) : -1; }

const char* KeyNameFromCode(int code) {
  for (const KeyNameEntry& row : KeyNameTable)
    if (row.code == code) return row.name;
  return "UnknownKey";
}
