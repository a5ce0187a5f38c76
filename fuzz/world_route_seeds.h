// Seed files of the route-data fuzz targets: the route data of a few
// generated mazes, built and written by the engine's own builder and writers.
#pragma once

// Writes <folder>/maze<k>.qtd when quadTree, else <folder>/maze<k>.rmd
// (and one file of the old marker layout).
void WriteRouteSeeds(const char* folder, bool quadTree);
