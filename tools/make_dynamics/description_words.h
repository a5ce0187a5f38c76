// The word splitting the text descriptions of the data tools share (the
// level description and the dynamics description): blanks separate words,
// double quotes group them, '#' ends the line.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> SplitDescriptionLine(const std::string& line);
