// Wand logs for the simulated wand: single records made from a time and a button, and a
// realistic patrol log (a route of buttons read every few minutes, ending shortly before now).
#pragma once

#include <cstdint>
#include <vector>

#include "wandlink/local_clock.h"
#include "wandlink/record.h"

namespace wandsim {

// The record a wand of the given kind stores for a reading.
wandlink::WandRecord MakeRecord(const wandlink::LocalTime& when, std::uint32_t button,
                                wandlink::MonthMode monthMode);

// The wand's answer to the identify command.
wandlink::WandRecord MakeIdentifyReply(std::uint16_t wandNumber);

// The reply that ends the log.
wandlink::WandRecord MakeEndMarker();

// A patrol log of count readings that ends an hour before now, the same for the same seed.
// However long, it spans at most 120 days, so that every reading keeps its year when read.
std::vector<wandlink::WandRecord> GeneratePatrolLog(std::size_t count, std::uint32_t seed,
                                                    const wandlink::LocalTime& now,
                                                    wandlink::MonthMode monthMode);

}  // namespace wandsim
