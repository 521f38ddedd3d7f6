#include "tcp_socket_transport.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace zc::visa {
namespace {

int MillisLeft(Deadline deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  if (left.count() <= 0) return 0;
  return left.count() > 1'000'000'000 ? 1'000'000'000 : static_cast<int>(left.count());
}

// Waits for the socket to become ready; false at the deadline.
bool WaitFor(int fd, short events, Deadline deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    int r = ::poll(&p, 1, MillisLeft(deadline));
    if (r > 0) return true;
    if (r == 0) return false;
    if (errno != EINTR) return true;  // let the following call report the error
  }
}

class TcpSocketTransport final : public Transport {
 public:
  ~TcpSocketTransport() override { Close(); }

  ViStatus Open(const ResourceName& name, Deadline deadline) override {
    if (name.resourceClass != ResourceClass::Socket) return VI_ERROR_NSUP_OPER;
    std::string host = name.host;
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
      host = host.substr(1, host.size() - 2);
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    const std::string port = std::to_string(name.port);
    if (::getaddrinfo(host.c_str(), port.c_str(), &hints, &list) != 0 || list == nullptr) {
      return VI_ERROR_RSRC_NFOUND;
    }
    ViStatus status = VI_ERROR_RSRC_NFOUND;
    for (addrinfo* ai = list; ai != nullptr; ai = ai->ai_next) {
      int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                        ai->ai_protocol);
      if (fd < 0) continue;
      int r = ::connect(fd, ai->ai_addr, ai->ai_addrlen);
      if (r != 0 && errno == EINPROGRESS) {
        if (!WaitFor(fd, POLLOUT, deadline)) {
          ::close(fd);
          status = VI_ERROR_TMO;
          continue;
        }
        int err = 0;
        socklen_t len = sizeof err;
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len);
        r = err == 0 ? 0 : -1;
      }
      if (r != 0) {
        ::close(fd);
        continue;
      }
      int one = 1;
      ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      fd_ = fd;
      status = VI_SUCCESS;
      break;
    }
    ::freeaddrinfo(list);
    return status;
  }

  ViStatus Write(std::span<const std::uint8_t> data, std::size_t* written,
                 Deadline deadline) override {
    *written = 0;
    if (fd_ < 0) return VI_ERROR_CONN_LOST;
    // The line feed marks the end of the message on a socket; callers that already end their
    // text with one are sent as they are. One send call keeps the message in one segment.
    out_.assign(data.begin(), data.end());
    if (out_.empty() || out_.back() != '\n') out_.push_back('\n');
    std::size_t sent = 0;
    while (sent < out_.size()) {
      ssize_t n = ::send(fd_, out_.data() + sent, out_.size() - sent, MSG_NOSIGNAL);
      if (n > 0) {
        sent += static_cast<std::size_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        if (!WaitFor(fd_, POLLOUT, deadline)) {
          *written = std::min(sent, data.size());
          return VI_ERROR_TMO;
        }
        continue;
      }
      *written = std::min(sent, data.size());
      return (errno == EPIPE || errno == ECONNRESET) ? VI_ERROR_CONN_LOST : VI_ERROR_IO;
    }
    *written = data.size();
    return VI_SUCCESS;
  }

  ViStatus Read(std::span<std::uint8_t> buf, std::size_t* got, Deadline deadline) override {
    *got = 0;
    for (;;) {
      auto lf = std::find(in_.begin() + static_cast<std::ptrdiff_t>(start_), in_.end(), '\n');
      const std::size_t available = in_.size() - start_;
      if (lf != in_.end()) {
        const std::size_t message = static_cast<std::size_t>(lf - in_.begin()) - start_ + 1;
        return Hand(buf, got, std::min(message, buf.size()),
                    message <= buf.size() ? VI_SUCCESS : VI_SUCCESS_MAX_CNT);
      }
      if (available >= buf.size()) return Hand(buf, got, buf.size(), VI_SUCCESS_MAX_CNT);
      if (fd_ < 0) return Hand(buf, got, available, VI_ERROR_CONN_LOST);

      ViStatus status = Fill(deadline);
      if (status != VI_SUCCESS) {
        // What arrived before the failure is the caller's, with the failure's status.
        return Hand(buf, got, std::min(in_.size() - start_, buf.size()), status);
      }
    }
  }

  ViStatus Clear(Deadline) override {
    in_.clear();
    start_ = 0;
    if (fd_ < 0) return VI_ERROR_CONN_LOST;
    // A socket has no device clear: drop whatever the instrument already sent.
    std::uint8_t scratch[4096];
    for (;;) {
      ssize_t n = ::recv(fd_, scratch, sizeof scratch, MSG_DONTWAIT);
      if (n > 0) continue;
      if (n < 0 && errno == EINTR) continue;
      break;
    }
    return VI_SUCCESS;
  }

  ViStatus GoToLocal(Deadline) override { return VI_ERROR_NSUP_OPER; }

  void Close() override {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    in_.clear();
    start_ = 0;
  }

 private:
  ViStatus Hand(std::span<std::uint8_t> buf, std::size_t* got, std::size_t n, ViStatus status) {
    if (n > 0) std::memcpy(buf.data(), in_.data() + start_, n);
    start_ += n;
    if (start_ == in_.size()) {
      in_.clear();
      start_ = 0;
    }
    *got = n;
    return status;
  }

  // Appends what the socket holds, waiting up to the deadline for the first byte.
  ViStatus Fill(Deadline deadline) {
    if (start_ > 0 && start_ * 2 > in_.size()) {
      in_.erase(in_.begin(), in_.begin() + static_cast<std::ptrdiff_t>(start_));
      start_ = 0;
    }
    std::uint8_t chunk[4096];
    for (;;) {
      ssize_t n = ::recv(fd_, chunk, sizeof chunk, MSG_DONTWAIT);
      if (n > 0) {
        in_.insert(in_.end(), chunk, chunk + n);
        return VI_SUCCESS;
      }
      if (n == 0) {
        ::close(fd_);
        fd_ = -1;
        return VI_ERROR_CONN_LOST;
      }
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) {
        return errno == ECONNRESET ? VI_ERROR_CONN_LOST : VI_ERROR_IO;
      }
      if (!WaitFor(fd_, POLLIN, deadline)) return VI_ERROR_TMO;
    }
  }

  int fd_ = -1;
  std::vector<std::uint8_t> in_;  // received bytes not yet handed out, from start_ on
  std::size_t start_ = 0;
  std::vector<std::uint8_t> out_;
};

}  // namespace

std::unique_ptr<Transport> MakeTcpSocketTransport() {
  return std::make_unique<TcpSocketTransport>();
}

}  // namespace zc::visa
