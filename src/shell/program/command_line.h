// The game's command line.  The program does not read the command line it
// is started with: it parses one built-in string, "-f -d" (the front end,
// data from the catalogs).  For development and tests the environment
// variable HALBERD_COMMAND_LINE replaces the built-in string.
//
// Syntax: "-" and letters set the switch of each letter (a-z, without case;
// any other character after "-" is ignored); a bare word names the level to
// start; CR, LF or the end of the text ends the parse.
#pragma once

// The built-in command line "-f -d".
inline constexpr const char* kBuiltInCommandLine = "-f -d";

// The string the program parses: HALBERD_COMMAND_LINE when it is set, else
// the built-in one.
const char* GameCommandLine();

// Parses `commandLine` (null: GameCommandLine()) into the letter switches,
// LevelName, DirectStart, ReturnToFrontEnd, FrameMode and the first screen
// id, then applies the letters that act here (P split screen, N no enemies
// in split screen, T no texture preload, I the script-queryable word, X
// CheatMode; F the front end).  Bare words are joined into LevelName; words
// that do not fit its 255 characters are refused with a message box and the
// name stays empty.  Answers 1, or 0 when a word was refused.
int ParseCommandLine(const char* commandLine);

// Words set by the letters.
extern unsigned int NoTexturePreload;  // T
extern unsigned int ScriptQueryWord;   // I
extern unsigned int CheatMode;         // X
