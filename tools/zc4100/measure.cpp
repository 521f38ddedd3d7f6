// zc4100 measure: the front panel's measurement without a window. The same panel model, Run
// Start and reading loop as ZC4100_AP; the readings are printed instead of drawn.
#include "measure.h"

#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "acquire/run_controller.h"
#include "instrument/device_manager.h"
#include "measure/panel_settings.h"
#include "records/record_store.h"
#include "texts/settings_file.h"
#include "visa.h"

namespace zc::tool {
namespace {

using namespace zc::fp;

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
// The chart's size on the screen, so Max and Min come out as the window shows them.
constexpr int kChartWidth = 470;
constexpr int kChartHeight = 272;

std::atomic<bool> gStop{false};
void OnSignal(int) {
  gStop = true;
}

void PrintUsage(std::FILE* out) {
  std::fputs(
      "usage: zc4100 measure [RESOURCE] [OPTIONS]\n"
      "\n"
      "Sets up the counter as the front panel would, starts a run and prints each reading with\n"
      "the chart's Max and Min. Ctrl-C stops the run. RESOURCE defaults to the first counter that\n"
      "discovery lists.\n"
      "\n"
      "  --panel FILE            panel settings from FILE (section [Panel], one key per control)\n"
      "  -f, --function NAME     Freq, Ratio, Period, Edge, Width, Intval, Volt, Phase, Duty, "
      "Total\n"
      "  -c, --channel CH        CH1, CH2 or CH3: the channel of Freq, Period or Volt\n"
      "  -g, --gate SOURCE       Time, Ext, Auto or Digits (Freq, Ratio, Period); Time, Auto or "
      "Ext\n"
      "                          (Total); Auto or Ext arming (Edge, Width, Phase, Duty)\n"
      "  -t, --gate-time SEC     gate time in seconds\n"
      "  -r, --read-speed MS     100, 300, 500, 1000 or 2000\n"
      "  -s, --set KEY=VALUE     any panel setting, as in a panel file (may be repeated)\n"
      "  -n, --count N           stop after N readings (default: run until Ctrl-C)\n"
      "  --record N              keep the readings in record N (1 to 10), as Setting Mode's Save\n"
      "  --folder DIR            work in DIR: records live in DIR/DB (or DIR if its path has "
      "\"DB\")\n"
      "  --timeout MS            I/O timeout (default 15000, as the front panel)\n"
      "  --panel-keys            list the settings a panel file may hold\n"
      "\n"
      "Options apply in this order: --panel, then --function, then the others as given.\n"
      "Exit codes: 0 done, 1 refused or the instrument failed, 2 wrong command line.\n",
      out);
}

// Messages of the run go where a user at a terminal sees them.
class CTerminalRun : public CUserInterface, public CRunView {
 public:
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    ++messages;
  }
  void BeginWaitCursor() override {}
  void EndWaitCursor() override {}
  int TextWidth(const std::string& text) override { return static_cast<int>(text.size()); }

  void ShowRunState(bool) override {}
  void ClearChart() override {}
  void StartReadingTimer(int ms) override {
    intervalMs = ms;
    timerOn = true;
  }
  void StopReadingTimer() override { timerOn = false; }
  void ShowReadout(ReadoutId id, const std::string& text) override { readouts[id] = text; }
  int ChartWidth() const override { return kChartWidth; }
  int ChartHeight() const override { return kChartHeight; }
  void DrawChart(const CTrendPlot&) override {}
  void PanelChanged() override {}

  int intervalMs = 0;
  bool timerOn = false;
  int messages = 0;
  std::map<ReadoutId, std::string> readouts;
};

struct MeasureArgs {
  std::string resource;
  std::string panelFile;
  std::string function;
  std::vector<std::pair<std::string, std::string>> settings;  // applied in order
  long count = -1;
  int record = 0;  // 0: not saving
  std::string folder;
  ViUInt32 timeoutMs = 15000;
  bool listKeys = false;
  bool help = false;
};

bool ParseMeasureArgs(const std::vector<std::string>& argv, MeasureArgs* a, std::string* error) {
  for (std::size_t i = 0; i < argv.size(); ++i) {
    const std::string& arg = argv[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= argv.size()) {
        *error = arg + " needs a value";
        return false;
      }
      *out = argv[++i];
      return true;
    };
    std::string v;
    if (arg == "-h" || arg == "--help") {
      a->help = true;
    } else if (arg == "--panel-keys") {
      a->listKeys = true;
    } else if (arg == "--panel") {
      if (!value(&a->panelFile)) return false;
    } else if (arg == "-f" || arg == "--function") {
      if (!value(&a->function)) return false;
    } else if (arg == "-c" || arg == "--channel") {
      if (!value(&v)) return false;
      a->settings.emplace_back("@channel", v);
    } else if (arg == "-g" || arg == "--gate") {
      if (!value(&v)) return false;
      a->settings.emplace_back("@gate", v);
    } else if (arg == "-t" || arg == "--gate-time") {
      if (!value(&v)) return false;
      a->settings.emplace_back("GateTime", v);
    } else if (arg == "-r" || arg == "--read-speed") {
      if (!value(&v)) return false;
      if (v.find("ms") == std::string::npos) v += " ms";
      a->settings.emplace_back("ReadSpeed", v);
    } else if (arg == "-s" || arg == "--set") {
      if (!value(&v)) return false;
      const std::size_t eq = v.find('=');
      if (eq == std::string::npos) {
        *error = "--set wants KEY=VALUE, not '" + v + "'";
        return false;
      }
      a->settings.emplace_back(v.substr(0, eq), v.substr(eq + 1));
    } else if (arg == "-n" || arg == "--count") {
      if (!value(&v)) return false;
      char* end = nullptr;
      const long n = std::strtol(v.c_str(), &end, 10);
      if (v.empty() || *end != '\0' || n < 0) {
        *error = "bad --count '" + v + "'";
        return false;
      }
      a->count = n;
    } else if (arg == "--record") {
      if (!value(&v)) return false;
      char* end = nullptr;
      const long n = std::strtol(v.c_str(), &end, 10);
      if (v.empty() || *end != '\0' || n < 1 || n > kRecordCount) {
        *error = "--record wants a record number from 1 to 10, not '" + v + "'";
        return false;
      }
      a->record = static_cast<int>(n);
    } else if (arg == "--folder") {
      if (!value(&a->folder)) return false;
    } else if (arg == "--timeout") {
      if (!value(&v)) return false;
      char* end = nullptr;
      const unsigned long n = std::strtoul(v.c_str(), &end, 10);
      if (v.empty() || *end != '\0' || n > 0xFFFFFFFFul) {
        *error = "bad --timeout '" + v + "'";
        return false;
      }
      a->timeoutMs = static_cast<ViUInt32>(n);
    } else if (!arg.empty() && arg[0] == '-') {
      *error = "unknown option '" + arg + "'";
      return false;
    } else if (a->resource.empty()) {
      a->resource = arg;
    } else {
      *error = "more than one resource given";
      return false;
    }
  }
  return true;
}

// The short options name the control of the selected function.
std::string ControlFor(const std::string& option, MeasFunction f) {
  if (option == "@channel") {
    if (f == FUNC_PERIOD) return "PeriodChannel";
    if (f == FUNC_VOLT) return "VoltChannel";
    return "FreqChannel";
  }
  if (f == FUNC_TOTAL) return "TotalGate";
  if (f == FUNC_EDGE || f == FUNC_WIDTH || f == FUNC_PHASE || f == FUNC_DUTY) return "ArmSource";
  return "GateSource";
}

bool StartsWithNoCase(const std::string& s, const char* prefix) {
  for (std::size_t i = 0; prefix[i]; ++i) {
    if (i >= s.size() || std::toupper(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
  }
  return true;
}

// A resource the user named: the counter discovery listed under that name, or the resource
// opened directly (a LAN counter, or one discovery does not look for).
bool UseResource(CDeviceManager& devices, const std::string& resource) {
  for (std::size_t i = 0; i < devices.deviceList.size(); ++i) {
    if (strcasecmp(devices.deviceList[i].resource.c_str(), resource.c_str()) == 0) {
      devices.SelectDevice(static_cast<std::int16_t>(i));
      return true;
    }
  }
  ViSession rm = 0;
  ViStatus st = viOpenDefaultRM(&rm);
  ViSession vi = 0;
  if (st >= VI_SUCCESS) st = viOpen(rm, resource.c_str(), VI_NO_LOCK, 0, &vi);
  if (st < VI_SUCCESS) {
    char desc[VI_FIND_BUFLEN] = {};
    viStatusDesc(rm, st, desc);
    std::fprintf(stderr, "zc4100: %s: %s\n", resource.c_str(), desc);
    return false;
  }
  viSetAttribute(vi, VI_ATTR_TMO_VALUE, devices.visaTimeoutMs);
  const bool gpib = StartsWithNoCase(resource, "GPIB");
  const int slot = static_cast<int>(devices.deviceList.size());
  if (gpib && slot < CDeviceManager::kGpibSlots) {
    devices.gpibSessions[static_cast<std::size_t>(slot)] = vi;
  } else if (!gpib && slot < CDeviceManager::kUsbSlots) {
    devices.usbSessions[static_cast<std::size_t>(slot)] = vi;
  } else {
    std::fprintf(stderr, "zc4100: no free session slot for %s\n", resource.c_str());
    return false;
  }
  devices.deviceList.push_back({gpib ? kInterfaceGpib : kInterfaceUsb, slot, resource});
  devices.deviceCount = static_cast<std::int32_t>(devices.deviceList.size());
  devices.SelectDevice(static_cast<std::int16_t>(slot));
  return true;
}

}  // namespace

int Measure(const std::vector<std::string>& argv) {
  MeasureArgs args;
  std::string error;
  if (!ParseMeasureArgs(argv, &args, &error)) {
    std::fprintf(stderr, "zc4100 measure: %s\n", error.c_str());
    PrintUsage(stderr);
    return kExitUsage;
  }
  if (args.help) {
    PrintUsage(stdout);
    return 0;
  }
  if (args.listKeys) {
    for (const std::string& line : PanelSettingDescriptions()) std::printf("%s\n", line.c_str());
    return 0;
  }
  std::setlocale(LC_NUMERIC, "C");
  if (!args.folder.empty() && ::chdir(args.folder.c_str()) != 0) {
    std::fprintf(stderr, "zc4100 measure: --folder %s: %s\n", args.folder.c_str(),
                 std::strerror(errno));
    return kExitUsage;
  }

  CTerminalRun term;
  CTextLookup texts(SettingsFilePath());
  texts.languageName = LanguageForLocale(LocaleIdentifier(EnvironmentLocale()));
  CPanelModel panel(term);
  panel.SetLookup(
      [&](const std::string& key, const std::string& def) { return texts.LookupText(key, def); });

  // The panel first, so a mistake in it is reported before any instrument is touched.
  if (!args.panelFile.empty()) {
    std::vector<std::string> errors;
    if (!LoadPanelFile(panel, args.panelFile, &errors)) {
      for (const std::string& e : errors) std::fprintf(stderr, "zc4100 measure: %s\n", e.c_str());
      return kExitUsage;
    }
  }
  if (!args.function.empty() && !ApplyPanelSetting(panel, "Function", args.function, &error)) {
    std::fprintf(stderr, "zc4100 measure: --function: %s\n", error.c_str());
    return kExitUsage;
  }
  for (const auto& [key, value] : args.settings) {
    const std::string name = key[0] == '@' ? ControlFor(key, panel.selectedFunction) : key;
    if (!ApplyPanelSetting(panel, name, value, &error)) {
      std::fprintf(stderr, "zc4100 measure: %s: %s\n", name.c_str(), error.c_str());
      return kExitUsage;
    }
  }
  if (term.messages > 0) return kExitUsage;  // a page the function does not have

  CConsoleDeviceTable console;
  CDeviceManager devices(term, console);
  devices.visaTimeoutMs = args.timeoutMs;
  devices.DiscoverDevices();
  if (!args.resource.empty() && !UseResource(devices, args.resource)) return kExitFailed;

  CRunController run(panel, devices, term, term);
  CRecordStore store(term);
  if (args.record != 0) {
    run.SetRecorder(&store);
    run.saveFlag = true;
    run.recordNumber = args.record;
  }
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);

  run.RunStart();
  if (!run.running()) {
    devices.ReturnToLocal();
    return kExitFailed;
  }
  std::printf("%s on %s, %s, every %d ms\n", FunctionName(run.runFunction),
              devices.currentResource.c_str(), panel.functionCaption.c_str(), term.intervalMs);
  if (store.isOpen()) std::printf("keeping the readings in %s\n", store.path().c_str());
  std::fflush(stdout);

  using Clock = std::chrono::steady_clock;
  auto next = Clock::now() + std::chrono::milliseconds(term.intervalMs);
  long ticks = 0;
  bool failed = false;
  while (!gStop && (args.count < 0 || ticks < args.count)) {
    while (!gStop && Clock::now() < next) {
      const auto left = next - Clock::now();
      std::this_thread::sleep_for(std::min<Clock::duration>(left, std::chrono::milliseconds(20)));
    }
    if (gStop) break;
    run.OnReadingTimer();
    ++ticks;
    std::printf("%6ld  Current : %-28s Max : %-28s Min : %s\n", ticks,
                term.readouts[IDC_READOUT_CURRENT].c_str(), term.readouts[IDC_READOUT_MAX].c_str(),
                term.readouts[IDC_READOUT_MIN].c_str());
    std::fflush(stdout);
    if (!term.timerOn) {  // the read failed and stopped the run
      failed = true;
      break;
    }
    next += std::chrono::milliseconds(term.intervalMs);
    if (next < Clock::now()) next = Clock::now();
  }
  if (run.running()) run.RunStop();
  devices.ReturnToLocal();
  return failed ? kExitFailed : 0;
}

}  // namespace zc::tool
