// zc4100: finds counters and exchanges SCPI text with them from the shell.
//
//   zc4100 find [EXPR]              list resources matching a VISA find expression
//   zc4100 query RESOURCE TEXT      send TEXT, print the reply
//   zc4100 write RESOURCE TEXT      send TEXT
//   zc4100 read RESOURCE            print a reply the instrument holds
//   zc4100 discover                 list the counters as the front panel lists them
//   zc4100 measure [RESOURCE] ...   a front-panel run in the terminal (zc4100 measure --help)
//   zc4100 records ...              list, show and export records (zc4100 records --help)
//
// Exit codes: 0 done, 1 the instrument or the library failed, 2 the command line is wrong.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "config.h"
#include "instrument/device_manager.h"
#include "measure.h"
#include "records.h"
#include "visa.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

struct Args {
  std::string command;
  std::vector<std::string> operands;
  ViUInt32 timeoutMs = 5000;
  bool raw = false;  // send TEXT exactly as given, without the line feed
};

void PrintUsage(std::FILE* out) {
  std::fputs(
      "usage: zc4100 [--timeout MS] [--raw] COMMAND ...\n"
      "\n"
      "  find [EXPR]             list resources matching EXPR (default \"?*\")\n"
      "  query RESOURCE TEXT     send TEXT and print the reply\n"
      "  write RESOURCE TEXT     send TEXT\n"
      "  read RESOURCE           print the reply the instrument holds\n"
      "  discover                find and identify counters as the front panel does\n"
      "  measure [RESOURCE] ...  set up, run and print readings (zc4100 measure --help)\n"
      "  records [COMMAND] ...   list, show and export records (zc4100 records --help)\n"
      "\n"
      "  --timeout MS            I/O timeout in milliseconds (default 5000)\n"
      "  --raw                   do not end TEXT with a line feed\n"
      "\n"
      "Examples:\n"
      "  zc4100 find \"USB[0-9]*::0x1A5B::0x1004::?*INSTR\"\n"
      "  zc4100 query TCPIP0::127.0.0.1::5025::SOCKET \"*IDN?\"\n"
      "\n"
      "Simulated counters and LAN instruments are declared in the file named by\n"
      "ZC4100_VISA_CONF.\n",
      out);
}

std::string Describe(ViSession vi, ViStatus status) {
  char desc[VI_FIND_BUFLEN] = {};
  viStatusDesc(vi, status, desc);
  return desc;
}

int Fail(const std::string& what, ViSession vi, ViStatus status) {
  std::fprintf(stderr, "zc4100: %s: %s\n", what.c_str(), Describe(vi, status).c_str());
  return kExitFailed;
}

// Replies are instrument text; anything unprintable is shown escaped so a terminal stays sane.
std::string Printable(std::string_view bytes) {
  while (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r')) bytes.remove_suffix(1);
  std::string out;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c != 0x7F) {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
  return out;
}

bool ParseArgs(int argc, char** argv, Args* args, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    std::string_view a = argv[i];
    if (a == "--raw") {
      args->raw = true;
    } else if (a == "--timeout") {
      if (i + 1 >= argc) {
        *error = "--timeout needs a value in milliseconds";
        return false;
      }
      char* end = nullptr;
      unsigned long v = std::strtoul(argv[++i], &end, 10);
      if (end == argv[i] || *end != '\0' || v > 0xFFFFFFFFul) {
        *error = std::string("bad --timeout value '") + argv[i] + "'";
        return false;
      }
      args->timeoutMs = static_cast<ViUInt32>(v);
    } else if (a == "-h" || a == "--help") {
      args->command = "help";
      return true;
    } else if (args->command.empty()) {
      args->command = a;
    } else {
      args->operands.emplace_back(a);
    }
  }
  if (args->command.empty()) {
    *error = "no command given";
    return false;
  }
  struct Shape {
    const char* name;
    std::size_t min, max;
  };
  static const Shape kShapes[] = {{"find", 0, 1}, {"query", 2, 2}, {"write", 2, 2}, {"read", 1, 1}, {"discover", 0, 0}};
  for (const Shape& s : kShapes) {
    if (args->command != s.name) continue;
    if (args->operands.size() < s.min || args->operands.size() > s.max) {
      *error = "wrong number of operands for '" + args->command + "'";
      return false;
    }
    return true;
  }
  *error = "unknown command '" + args->command + "'";
  return false;
}

void ReportConfigProblems() {
  for (const std::string& line : zc::visa::LoadConfig().errors) {
    std::fprintf(stderr, "zc4100: warning: %s\n", line.c_str());
  }
}

int Find(ViSession rm, const std::string& expr) {
  ViFindList list = 0;
  ViUInt32 count = 0;
  char name[VI_FIND_BUFLEN] = {};
  ViStatus st = viFindRsrc(rm, expr.c_str(), &list, &count, name);
  if (st == VI_ERROR_RSRC_NFOUND) {
    std::fprintf(stderr, "zc4100: no resource matches \"%s\"\n", expr.c_str());
    return kExitFailed;
  }
  if (st < VI_SUCCESS) return Fail("find \"" + expr + "\"", rm, st);
  for (ViUInt32 i = 0; i < count; ++i) {
    if (i > 0 && viFindNext(list, name) < VI_SUCCESS) break;
    std::printf("%s\n", name);
  }
  return 0;
}

int Exchange(ViSession rm, const Args& args) {
  const std::string& resource = args.operands[0];
  ViSession vi = 0;
  ViStatus st = viOpen(rm, resource.c_str(), VI_NO_LOCK, 0, &vi);
  if (st < VI_SUCCESS) return Fail(resource, rm, st);
  viSetAttribute(vi, VI_ATTR_TMO_VALUE, args.timeoutMs);

  if (args.command == "query" || args.command == "write") {
    std::string text = args.operands[1];
    if (!args.raw && (text.empty() || text.back() != '\n')) text += '\n';
    ViUInt32 written = 0;
    st = viWrite(vi, reinterpret_cast<ViConstBuf>(text.data()), static_cast<ViUInt32>(text.size()),
                 &written);
    if (st < VI_SUCCESS) return Fail(resource + ": write", vi, st);
    if (args.command == "write") return 0;
  }

  std::string reply;
  std::vector<ViByte> buf(4096);
  for (;;) {
    ViUInt32 got = 0;
    st = viRead(vi, buf.data(), static_cast<ViUInt32>(buf.size()), &got);
    reply.append(reinterpret_cast<const char*>(buf.data()), got);
    if (st != VI_SUCCESS_MAX_CNT) break;
  }
  if (st < VI_SUCCESS) {
    if (!reply.empty()) std::printf("%s\n", Printable(reply).c_str());
    return Fail(resource + ": read", vi, st);
  }
  std::printf("%s\n", Printable(reply).c_str());
  return 0;
}

// The front panel's discovery, its messages written to the terminal.
class CTerminalUi : public zc::fp::CUserInterface {
 public:
  void ShowMessage(const std::string& text, const std::string& caption,
                   zc::fp::MessageIcon) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  }
  void BeginWaitCursor() override {}
  void EndWaitCursor() override {}
  int TextWidth(const std::string& text) override { return static_cast<int>(text.size()); }
};

int Discover() {
  CTerminalUi ui;
  zc::fp::CConsoleDeviceTable console;
  zc::fp::CDeviceManager devices(ui, console);
  devices.DiscoverDevices();
  std::printf("Devices and Interfaces%s\n", devices.deviceListBox.enabled ? "" : " (disabled)");
  for (std::size_t i = 0; i < devices.deviceListBox.lines.size(); ++i) {
    const bool selected = static_cast<int>(i) == devices.deviceListBox.selection;
    std::printf("%s %s\n", selected ? ">" : " ", Printable(devices.deviceListBox.lines[i]).c_str());
  }
  if (devices.deviceCount > 0) {
    std::printf("selected: %s (%s)\n", devices.currentResource.c_str(),
                devices.currentKind == zc::fp::kInterfaceGpib ? "GPIB" : "USB");
  }
  devices.ReturnToLocal();
  return devices.deviceCount > 0 ? 0 : kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::string_view(argv[1]) == "measure") {
    ReportConfigProblems();
    return zc::tool::Measure(std::vector<std::string>(argv + 2, argv + argc));
  }
  if (argc >= 2 && std::string_view(argv[1]) == "records") {
    return zc::tool::Records(std::vector<std::string>(argv + 2, argv + argc));
  }
  Args args;
  std::string error;
  if (!ParseArgs(argc, argv, &args, &error)) {
    std::fprintf(stderr, "zc4100: %s\n", error.c_str());
    PrintUsage(stderr);
    return kExitUsage;
  }
  if (args.command == "help") {
    PrintUsage(stdout);
    return 0;
  }
  ReportConfigProblems();
  if (args.command == "discover") return Discover();
  ViSession rm = 0;
  ViStatus st = viOpenDefaultRM(&rm);
  if (st < VI_SUCCESS) return Fail("cannot open the resource manager", VI_NULL, st);
  int rc = args.command == "find"
               ? Find(rm, args.operands.empty() ? std::string("?*") : args.operands[0])
               : Exchange(rm, args);
  viClose(rm);
  return rc;
}
