// Raw TCP sockets: TCPIP[board]::host::port::SOCKET. A message ends at a line feed.
#pragma once

#include <memory>

#include "transport.h"

namespace zc::visa {

std::unique_ptr<Transport> MakeTcpSocketTransport();

}  // namespace zc::visa
