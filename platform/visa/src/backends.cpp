#include "backends.h"

#include <set>

#include "gpib_transport.h"
#include "sim_transport.h"
#include "tcp_socket_transport.h"
#include "usbtmc_transport.h"

namespace zc::visa {

std::unique_ptr<Transport> MakeTransportFor(const ResourceName& name, const Config& config,
                                            ViStatus* status) {
  const std::string canonical = name.Canonical();
  for (const DeclaredResource& res : config.resources) {
    if (!res.simulated || res.name.Canonical() != canonical) continue;
    auto counter = SimulatedCounterFor(res);
    if (!counter) {
      *status = VI_ERROR_INV_SETUP;
      return nullptr;
    }
    *status = VI_SUCCESS;
    return MakeSimTransport(std::move(counter));
  }
  *status = VI_SUCCESS;
  switch (name.interface) {
    case InterfaceType::Tcpip:
      if (name.resourceClass == ResourceClass::Socket) return MakeTcpSocketTransport();
      break;  // VXI-11 instruments are not reached by this library
    case InterfaceType::Usb:
      if (name.resourceClass == ResourceClass::Instr) return MakeUsbTmcTransport();
      break;
    case InterfaceType::Gpib:
      if (name.resourceClass == ResourceClass::Instr) return MakeGpibTransport();
      break;
  }
  *status = VI_ERROR_RSRC_NFOUND;
  return nullptr;
}

std::vector<std::string> ReachableResources(const Config& config) {
  std::vector<std::string> names;
  std::set<std::string> seen;
  auto add = [&](const std::string& text) {
    ParsedResourceName parsed = ParseResourceName(text);
    if (!parsed.name) return;
    if (seen.insert(parsed.name->Canonical()).second) names.push_back(text);
  };
  for (const DeclaredResource& res : config.resources) add(res.text);
  for (const std::string& text : MakeUsbTmcEnumerator()->List()) add(text);
  for (const std::string& text : MakeGpibEnumerator()->List()) add(text);
  return names;
}

}  // namespace zc::visa
