// Chooses the transport for a resource and gathers the resources every interface can reach.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "config.h"
#include "transport.h"

namespace zc::visa {

// A new, unopened transport for the resource, or nullptr with *status saying why.
std::unique_ptr<Transport> MakeTransportFor(const ResourceName& name, const Config& config,
                                            ViStatus* status);

// Every resource name that a search may list: the declared ones first, in file order, then what
// the USB and GPIB interfaces report, each resource once.
std::vector<std::string> ReachableResources(const Config& config);

}  // namespace zc::visa
