// Writes game-object records of the environment file in the layout of a given
// version, for the reader's tests and the fuzz target's seed corpus.
#pragma once

#include <string>

struct HLORecordFixture {
  int version = 72;
  int flags = 0x5;               // instance-style flags (row 2)
  const char* name = "Soldier";  // object name
  const char* parent = "Root";
  const char* texture = "NOTEXTURE";
  int side = 1;
  int orderKey = 2;
  int thirdByte = 3;
  int id = 7;
  int startsActive = 1;
  int switchA = 1;       // the two switch words of row 17 (version 9 on)
  int switchB = 0;
  int switchC = 1;       // the switch word of row 21
  int row18 = 1;
  int mask = 0;          // behaviour mask
  int shapeKind = 2;     // written when the mask has 0x100
  int markCount = 2;     // marks 5 and 599 (further ones count up from 10)
  int statsLinks = 1;
  int lightCount = 2;    // lights 3, 4, 5, ...
  int attachments = 1;   // "head" 0 "us_helmet_camo", ...
};

// The text of one record, keyword first.
std::string WriteHLORecord(const HLORecordFixture& f);
// A whole game-object list of `count` records ending with "HLOX".
std::string WriteHLOList(const HLORecordFixture& f, int count);
