// Simulated instruments, served in-process by the simulator library.
#pragma once

#include <memory>
#include <string_view>

#include "config.h"
#include "transport.h"
#include "zc4100_sim.h"

namespace zc::visa {

// The counter behind a declared simulated resource. One counter per resource for the life of the
// process, so every session to it (and a test looking at what it received) sees one instrument.
// A counter is made anew when its declared options change.
std::shared_ptr<sim::Counter> SimulatedCounterFor(const DeclaredResource& resource);

// The counter currently serving a resource name (any spelling), or nullptr when none was made.
std::shared_ptr<sim::Counter> SimulatedInstrument(std::string_view resourceName);

// Forgets every simulated counter (tests start from a fresh instrument).
void ResetSimulatedInstruments();

std::unique_ptr<Transport> MakeSimTransport(std::shared_ptr<sim::Counter> counter);

}  // namespace zc::visa
