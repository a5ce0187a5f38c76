// The word splitting the text descriptions of the data tools share (the
// level description and the dynamics description): blanks separate words,
// double quotes group them, '#' ends the line.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> SplitDescriptionLine(const std::string& line);

// A whole word as a number (false when it is not one, or not all of it is).
bool ParseDescriptionNumber(const std::string& word, float* out);
// A whole word as an integer in any C base (false when it is not one, or it
// does not fit an int).
bool ParseDescriptionInteger(const std::string& word, int* out);
