// Level load lists: for a level name that is not a plug-in, a small keyword
// script names what the level loads.  Words are separated by white space;
// keywords are compared exactly (a lower-case "end" is just a word):
//   BEGIN                      nothing
//   // ...                     a comment to the end of the line
//   SOUND a b x y z n          read and not used
//   ENVIRONMENT file           LoadEnvironment of the file
//   ANIM slot file             AnimSlotLoad of the slot
//   INCLUDE file               ReadLoadList of the file
//   END                        the list is done
// Any other word is skipped.  Main thread only.
#pragma once

struct LoadListContext;

// Longest keyword or skipped word; longest file name after ENVIRONMENT or
// INCLUDE; longest slot or file name after ANIM.
inline constexpr int kLoadListWordMax = 127;
inline constexpr int kLoadListFileMax = 27;
inline constexpr int kLoadListAnimMax = 255;
// Lists included inside each other at most this deep.
inline constexpr int kLoadListIncludeDepth = 8;

// Reads and runs a load list.  1 when it reached END with every step
// succeeding; 0 when the file cannot be read ("For some reason I can't open
// file \"%s\""), a step fails (the context's error word is set), END is
// missing, a word is longer than its limit, or an INCLUDE goes deeper than
// the limit or back into a list being read (each with a message naming the
// list).  The list's text is freed on every path.
int ReadLoadList(LoadListContext* context, const char* fileName);
// The same over a list's text already in memory (`size` bytes, NULs count as
// blanks), read under the name `fileName`.
int ReadLoadListText(LoadListContext* context, const char* fileName, const char* text, unsigned long size);
