// What the units read of their stats records: the kind word every record
// starts with, and the values the tables keep under column numbers: a unit's
// health (the first value of its base soldier or base vehicle record), its
// score (the 16-bit value of column 9 of a soldier kind, column 6 of a
// vehicle kind), a soldier kind's character type.
#pragma once

#include <cstdint>

struct HumanStats;
struct VehicleStats;

// The stats kind of a record (its first word); 0 for none.
std::uint32_t StatsKindOf(const void* stats);
// The record as a soldier kind (stats kind 1) or vehicle kind (kind 2); null otherwise.
const HumanStats* AsHumanStats(const void* stats);
const VehicleStats* AsVehicleStats(const void* stats);

// The health word of the record's base soldier (kind 1) or base vehicle
// (kind 2) record, unsigned 16-bit; 0 for any other record or none.
float StatsBaseHealth(const void* stats);
// The score word of a soldier or vehicle kind, signed 16-bit; 0 otherwise.
std::int32_t StatsScore(const void* stats);
// The character type of a soldier kind (0 soldier .. 5 prisoner of war); -1
// for any other record.
std::int32_t StatsCharacterType(const void* stats);
