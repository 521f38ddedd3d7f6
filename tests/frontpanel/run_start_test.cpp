// Run Start against a simulated counter: the panel set up through the same actions a user takes,
// then the exact commands the counter received, in order.
#include "measure/run_start.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <string>
#include <utility>
#include <vector>

#include "acquire/run_controller.h"
#include "measure/panel_settings.h"
#include "recording_ui.h"
#include "run_view_recorder.h"
#include "sim_config.h"
#include "sim_transport.h"

namespace zc::fp::testing {
namespace {

using Commands = std::vector<std::string>;
using Settings = std::vector<std::pair<std::string, std::string>>;

const std::string kUsbName = "USB0::0x1A5B::0x1004::AB12345678::INSTR";

Commands Join(std::initializer_list<Commands> parts) {
  Commands all;
  for (const Commands& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

const Commands kTimeGate = {"FREQuency:ARM:STARt:SOURce IMM", "FREQuency:ARM:STOP:SOURce TIMer",
                            "FREQuency:ARM:STOP:TIMer 0.1"};
const Commands kNoLimitMathStats = {"CALCulate2:LIMit:STATe OFF", "SYST:COMM:SER:CONT:DTR OFF",
                                    "CALC:MATH:STATE OFF", "CALC3:AVER:STATE OFF"};
const Commands kCh1 = {"EVEN:LEV:AUTO 1", "EVEN:LEV:REL 50", "EVEN:SLOP POS", "EVEN:HYST:REL 0",
                       "INP:COUP AC",     "INP:IMP 1000000", "INP:ATT 1",     "INP:FILT 0"};
const Commands kCh2 = {"EVEN2:LEV:AUTO 1", "EVEN2:LEV:REL 50", "EVEN2:SLOP POS", "EVEN2:HYST:REL 0",
                       "INP2:COUP AC",     "INP2:IMP 1000000", "INP2:ATT 1",     "INP2:FILT 0"};
const Commands kCh1NoSlope = {"EVEN:LEV:AUTO 1", "EVEN:LEV:REL 50", "EVEN:HYST:REL 0",
                              "INP:COUP AC",     "INP:IMP 1000000", "INP:ATT 1",
                              "INP:FILT 0"};
const Commands kStart = {"INIT:CONT ON"};

class RunStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    zc::visa::ResetSimulatedInstruments();
    devices.DiscoverDevices();
    counter = zc::visa::SimulatedInstrument(kUsbName);
    ASSERT_TRUE(counter);
    counter->ClearReceived();
  }
  void Apply(const Settings& settings) {
    for (const auto& [key, value] : settings) {
      std::string error;
      ASSERT_TRUE(ApplyPanelSetting(panel, key, value, &error)) << key << ": " << error;
    }
  }
  Commands Received() const { return counter->Received(); }

  SimConfig config{SimUsb(kUsbName)};
  CRecordingUi ui;
  CConsoleDeviceTable console;
  CDeviceManager devices{ui, console};
  CPanelModel panel{ui};
  CRecordingView view;
  CRunController run{panel, devices, ui, view};
  std::shared_ptr<zc::sim::Counter> counter;
};

struct RunCase {
  const char* name;
  Settings settings;
  Commands sent;
  int intervalMs = 100;
};

TEST_F(RunStartTest, CommandSequences) {
  const RunCase cases[] = {
      {"freq ch1, all defaults",
       {},
       Join({{"FUNC 'FREQ 1'"}, kTimeGate, kNoLimitMathStats, kCh1, kStart})},
      {"freq ch2, 2000 ms",
       {{"FreqChannel", "CH2"}, {"ReadSpeed", "2000 ms"}},
       Join({{"FUNC 'FREQ 2'"}, kTimeGate, kNoLimitMathStats, kCh2, kStart}),
       2000},
      {"freq ch3: no channel settings",
       {{"FreqChannel", "CH3"}},
       Join({{"FUNC 'FREQ 3'"}, kTimeGate, kNoLimitMathStats, kStart})},
      {"ratio 2to1, both channels",
       {{"Function", "Ratio"}, {"RatioPair", "2to1"}},
       Join({{"CONF:FREQ:RAT (@2),(@1)"}, kTimeGate, kNoLimitMathStats, kCh1, kCh2, kStart})},
      {"period ch3 gate auto",
       {{"Function", "Period"}, {"PeriodChannel", "CH3"}, {"GateSource", "Auto"}},
       Join({{"CONF:PER (@3)", "FREQuency:ARM:STARt:SOURce IMM", "FREQuency:ARM:STOP:SOURce IMM"},
             kNoLimitMathStats,
             kStart})},
      {"gate ext, stop auto",
       {{"GateSource", "Ext"}},
       Join({{"FUNC 'FREQ 1'", "FREQuency:ARM:STARt:SOURce EXTernal",
              "FREQuency:ARM:STARt:SLOPe POSitive", "FREQuency:ARM:STOP:SOURce IMM"},
             kNoLimitMathStats,
             kCh1,
             kStart})},
      {"gate ext, neg start, stop pos",
       {{"GateSource", "Ext"}, {"StartSlope", "Neg"}, {"StopSource", "Pos"}},
       Join({{"FUNC 'FREQ 1'", "FREQuency:ARM:STARt:SOURce EXTernal",
              "FREQuency:ARM:STARt:SLOPe NEGative", "FREQuency:ARM:STOP:SOURce EXTernal",
              "FREQuency:ARM:STOP:SLOPe POSitive"},
             kNoLimitMathStats,
             kCh1,
             kStart})},
      {"gate ext, stop neg",
       {{"GateSource", "Ext"}, {"StopSource", "Neg"}},
       Join({{"FUNC 'FREQ 1'", "FREQuency:ARM:STARt:SOURce EXTernal",
              "FREQuency:ARM:STARt:SLOPe POSitive", "FREQuency:ARM:STOP:SOURce EXTernal",
              "FREQuency:ARM:STOP:SLOPe NEGative"},
             kNoLimitMathStats,
             kCh1,
             kStart})},
      {"gate ext, stop time 2.5 with its unit",
       {{"GateSource", "Ext"}, {"StopSource", "Time"}, {"StopTime", "2.5"}},
       Join({{"FUNC 'FREQ 1'", "FREQuency:ARM:STARt:SOURce EXTernal",
              "FREQuency:ARM:STARt:SLOPe POSitive", "FREQuency:ARM:STOP:SOURce TIMer",
              "FREQuency:ARM:STOP:TIMer 2.5S"},
             kNoLimitMathStats,
             kCh1,
             kStart})},
      {"gate time 0.05 becomes 1",
       {{"GateTime", "0.05"}},
       Join({{"FUNC 'FREQ 1'", "FREQuency:ARM:STARt:SOURce IMM", "FREQuency:ARM:STOP:SOURce TIMer",
              "FREQuency:ARM:STOP:TIMer 1"},
             kNoLimitMathStats,
             kCh1,
             kStart})},
      {"empty gate time becomes 1",
       {{"GateTime", ""}},
       Join({{"FUNC 'FREQ 1'", "FREQuency:ARM:STARt:SOURce IMM", "FREQuency:ARM:STOP:SOURce TIMer",
              "FREQuency:ARM:STOP:TIMer 1"},
             kNoLimitMathStats,
             kCh1,
             kStart})},
      {"digit gate, at least 3 digits",
       {{"GateSource", "Digits"}, {"Digits", "2"}},
       Join({{"FUNC 'FREQ 1'", "FREQuency:ARM:STOP:SOURce DIGits", "FREQuency:ARM:STOP:DIGits 3"},
             kNoLimitMathStats,
             kCh1,
             kStart})},
      {"digit gate 7",
       {{"GateSource", "Digits"}, {"Digits", "7"}},
       Join({{"FUNC 'FREQ 1'", "FREQuency:ARM:STOP:SOURce DIGits", "FREQuency:ARM:STOP:DIGits 7"},
             kNoLimitMathStats,
             kCh1,
             kStart})},
      {"reference clock ext",
       {{"TimeBase", "1"}, {"TimeBaseSource", "Ext"}},
       Join({{"FUNC 'FREQ 1'", "ROSC:SOURCE EXT"}, kTimeGate, kNoLimitMathStats, kCh1, kStart})},
      {"reference clock auto",
       {{"TimeBase", "on"}},
       Join(
           {{"FUNC 'FREQ 1'", "ROSC:SOURCE:AUTO ON"}, kTimeGate, kNoLimitMathStats, kCh1, kStart})},
      {"edge fall: levels 90/10, only the CH2 level",
       {{"Function", "Edge"}, {"EdgeType", "Fall"}},
       Join({{"CONF:FTIM", "TINTerval:ARM:STARt:SOURce IMM"},
             kNoLimitMathStats,
             {"EVEN:LEV:AUTO 1", "EVEN:LEV:REL 90", "EVEN:HYST:REL 0", "INP:COUP AC",
              "INP:IMP 1000000", "INP:ATT 1", "INP:FILT 0", "EVEN2:LEV:AUTO 1", "EVEN2:LEV:REL 10"},
             kStart})},
      {"edge rise",
       {{"Function", "Edge"}},
       Join({{"CONF:RTIM", "TINTerval:ARM:STARt:SOURce IMM"},
             kNoLimitMathStats,
             {"EVEN:LEV:AUTO 1", "EVEN:LEV:REL 10", "EVEN:HYST:REL 0", "INP:COUP AC",
              "INP:IMP 1000000", "INP:ATT 1", "INP:FILT 0", "EVEN2:LEV:AUTO 1", "EVEN2:LEV:REL 90"},
             kStart})},
      {"width neg, external arming neg: no CH2 and no slope",
       {{"Function", "Width"}, {"WidthPolarity", "Neg"}, {"ArmSource", "Ext"}, {"ArmSlope", "Neg"}},
       Join({{"CONF:NWID", "TINTerval:ARM:STARt:SOURce EXTernal",
              "TINTerval:ARM:STARt:SLOPe NEGative"},
             kNoLimitMathStats,
             kCh1NoSlope,
             kStart})},
      {"intval: no arming",
       {{"Function", "Intval"}},
       Join({{"CONF:TINT"}, kNoLimitMathStats, kCh1, kCh2, kStart})},
      {"phase, external arming",
       {{"Function", "Phase"}, {"ArmSource", "Ext"}},
       Join({{"CONF:PHAS", "PHASe:ARM:STARt:SOURce EXTernal", "PHASe:ARM:STARt:SLOPe POSitive"},
             kNoLimitMathStats,
             kCh1,
             kCh2,
             kStart})},
      {"phase, auto arming",
       {{"Function", "Phase"}},
       Join({{"CONF:PHAS", "PHASe:ARM:STARt:SOURce IMMediate"},
             kNoLimitMathStats,
             kCh1,
             kCh2,
             kStart})},
      {"duty: no CH2, no CH1 slope",
       {{"Function", "Duty"}},
       Join({{"CONF:DCYC", "TINTerval:ARM:STARt:SOURce IMM"},
             kNoLimitMathStats,
             kCh1NoSlope,
             kStart})},
      {"volt ch2 vmin fast",
       {{"Function", "Volt"}, {"VoltChannel", "CH2"}, {"VoltValue", "Vmin"}, {"VoltMode", "Fast"}},
       Join({{"CONF:VOLT:MIN (@2)", "VOLT:MODE FAST"}, kCh2, kStart})},
      {"volt ch1 vpp slow",
       {{"Function", "Volt"}},
       Join({{"CONF:VOLT:PTP (@1)", "VOLT:MODE SLOW"}, kCh1, kStart})},
      {"total, time gate 0.5",
       {{"Function", "Total"}, {"GateTime", "0.5"}},
       Join({{"CONF:TOTalize:TIMED (@1)", "TOTalize:ARM:STOP:TIMer 0.5S"}, kCh1, kStart})},
      {"total, auto gate",
       {{"Function", "Total"}, {"TotalGate", "Auto"}},
       Join({{"CONF:TOTalize:TIMED (@1)", "TOTalize:ARM:STARt:SOURce IMM"}, kCh1, kStart})},
      {"total, ext gate, stop neg",
       {{"Function", "Total"},
        {"TotalGate", "Ext"},
        {"StartSlope", "Neg"},
        {"TotalStopSource", "Neg"}},
       Join({{"CONF:TOTalize:TIMED (@1)", "TOTalize:ARM:STARt:SOURce EXTernal",
              "TOTalize:ARM:STARt:SLOPe NEGative", "TOTalize:ARM:STOP:SOURce EXTernal",
              "TOTalize:ARM:STOP:SLOPe NEGative"},
             kCh1,
             kStart})},
      {"total, ext gate, stop pos",
       {{"Function", "Total"}, {"TotalGate", "Ext"}, {"TotalStopSource", "Pos"}},
       Join({{"CONF:TOTalize:TIMED (@1)", "TOTalize:ARM:STARt:SOURce EXTernal",
              "TOTalize:ARM:STARt:SLOPe POSitive", "TOTalize:ARM:STOP:SOURce EXTernal",
              "TOTalize:ARM:STOP:SLOPe POSitive"},
             kCh1,
             kStart})},
      {"total, ext gate, stop time 0.01 becomes 1",
       {{"Function", "Total"},
        {"TotalGate", "Ext"},
        {"TotalStopSource", "Time"},
        {"StopTime", "0.01"}},
       Join({{"CONF:TOTalize:TIMED (@1)", "TOTalize:ARM:STARt:SOURce EXTernal",
              "TOTalize:ARM:STARt:SLOPe POSitive", "TOTalize:ARM:STOP:SOURce TIMer",
              "TOTalize:ARM:STOP:TIMer 1S"},
             kCh1,
             kStart})},
      {"freq limits in KHz and mHz, go on",
       {{"Upper", "1"},
        {"UpperValue", "5"},
        {"UpperUnit", "KHz"},
        {"LowerValue", "5"},
        {"LowerUnit", "mHz"}},
       Join({{"FUNC 'FREQ 1'"},
             kTimeGate,
             {"CALCulate2:LIMit:STATe ON", "CALCulate2:LIMit:UPPer 5 KHZ",
              "CALCulate2:LIMit:LOWer 5000.000000 uHZ", "INIT:AUTO OFF",
              "SYST:COMM:SER:CONT:DTR OFF", "CALC:MATH:STATE OFF", "CALC3:AVER:STATE OFF"},
             kCh1,
             kStart})},
      {"freq limits in Hz, uHz and MHz; zero upper",
       {{"Upper", "1"}, {"UpperValue", "0"}, {"LowerValue", "5"}, {"LowerUnit", "uHz"}},
       Join({{"FUNC 'FREQ 1'"},
             kTimeGate,
             {"CALCulate2:LIMit:STATe ON", "CALCulate2:LIMit:UPPer 0HZ",
              "CALCulate2:LIMit:LOWer 5 uHZ", "INIT:AUTO OFF", "SYST:COMM:SER:CONT:DTR OFF",
              "CALC:MATH:STATE OFF", "CALC3:AVER:STATE OFF"},
             kCh1,
             kStart})},
      {"freq upper 5 Hz, lower 2 MHz",
       {{"Upper", "1"}, {"UpperValue", "5"}, {"LowerValue", "2"}, {"LowerUnit", "MHz"}},
       Join({{"FUNC 'FREQ 1'"},
             kTimeGate,
             {"CALCulate2:LIMit:STATe ON", "CALCulate2:LIMit:UPPer 5  HZ",
              "CALCulate2:LIMit:LOWer 2 MHZ", "INIT:AUTO OFF", "SYST:COMM:SER:CONT:DTR OFF",
              "CALC:MATH:STATE OFF", "CALC3:AVER:STATE OFF"},
             kCh1,
             kStart})},
      {"period limits in every time unit, stop on fail",
       {{"Function", "Period"},
        {"Upper", "1"},
        {"UpperValue", "2"},
        {"UpperUnit", "pSec"},
        {"LowerValue", "2"},
        {"LowerUnit", "mSec"},
        {"OnFail", "Stop"}},
       Join({{"CONF:PER (@1)"},
             kTimeGate,
             {"CALCulate2:LIMit:STATe ON", "CALCulate2:LIMit:UPPer 2 pS",
              "CALCulate2:LIMit:LOWer 2 mS", "INIT:AUTO ON", "SYST:COMM:SER:CONT:DTR OFF",
              "CALC:MATH:STATE OFF", "CALC3:AVER:STATE OFF"},
             kCh1,
             kStart})},
      {"width limits in nSec and Sec",
       {{"Function", "Width"},
        {"Upper", "1"},
        {"UpperValue", "3"},
        {"UpperUnit", "Sec"},
        {"LowerValue", "4"},
        {"LowerUnit", "nSec"}},
       Join({{"CONF:PWID", "TINTerval:ARM:STARt:SOURce IMM"},
             {"CALCulate2:LIMit:STATe ON", "CALCulate2:LIMit:UPPer 3  S",
              "CALCulate2:LIMit:LOWer 4 nS", "INIT:AUTO OFF", "SYST:COMM:SER:CONT:DTR OFF",
              "CALC:MATH:STATE OFF", "CALC3:AVER:STATE OFF"},
             kCh1NoSlope,
             kStart})},
      {"phase limits in KDeg and uSec-free degrees",
       {{"Function", "Phase"},
        {"Upper", "1"},
        {"UpperValue", "1.5"},
        {"UpperUnit", "KDeg"},
        {"LowerValue", "-90"}},
       Join({{"CONF:PHAS", "PHASe:ARM:STARt:SOURce IMMediate"},
             {"CALCulate2:LIMit:STATe ON", "CALCulate2:LIMit:UPPer 1.5 KDeg",
              "CALCulate2:LIMit:LOWer -90  Deg", "INIT:AUTO OFF", "SYST:COMM:SER:CONT:DTR OFF",
              "CALC:MATH:STATE OFF", "CALC3:AVER:STATE OFF"},
             kCh1,
             kCh2,
             kStart})},
      {"duty limits are plain numbers",
       {{"Function", "Duty"},
        {"Upper", "1"},
        {"UpperValue", "50"},
        {"LowerValue", "20"},
        {"LowerUnit", "m"}},
       Join({{"CONF:DCYC", "TINTerval:ARM:STARt:SOURce IMM"},
             {"CALCulate2:LIMit:STATe ON", "CALCulate2:LIMit:UPPer 50.0000000000000000",
              "CALCulate2:LIMit:LOWer 0.0200000000000000", "INIT:AUTO OFF",
              "SYST:COMM:SER:CONT:DTR OFF", "CALC:MATH:STATE OFF", "CALC3:AVER:STATE OFF"},
             kCh1NoSlope,
             kStart})},
      {"limit output on DB9",
       {{"Out", "1"}, {"OutPort", "DB9"}},
       Join({{"FUNC 'FREQ 1'"},
             kTimeGate,
             {"CALCulate2:LIMit:STATe OFF", "SYST:COMM:SER:CONT:DTR LIM", "SYST:COMM:SER:SOUR DB9",
              "CALC:MATH:STATE OFF", "CALC3:AVER:STATE OFF"},
             kCh1,
             kStart})},
      {"scale K and offset M for freq",
       {{"Scale", "1"},
        {"ScaleValue", "2"},
        {"ScalePrefix", "K"},
        {"OffsetValue", "3"},
        {"OffsetPrefix", "M"}},
       Join({{"FUNC 'FREQ 1'"},
             kTimeGate,
             {"CALCulate2:LIMit:STATe OFF", "SYST:COMM:SER:CONT:DTR OFF", "CALC:MATH:STATE ON",
              "TRACE SCALE,2000.0000000000000000", "TRACE OFFSET,3000.000000 KHZ",
              "CALC3:AVER:STATE OFF"},
             kCh1,
             kStart})},
      {"scale m and empty offset",
       {{"Scale", "1"}, {"ScaleValue", "2"}, {"ScalePrefix", "m"}},
       Join({{"FUNC 'FREQ 1'"},
             kTimeGate,
             {"CALCulate2:LIMit:STATe OFF", "SYST:COMM:SER:CONT:DTR OFF", "CALC:MATH:STATE ON",
              "TRACE SCALE,0.0020000000000000", "TRACE OFFSET,0HZ", "CALC3:AVER:STATE OFF"},
             kCh1,
             kStart})},
      {"period offset in nano",
       {{"Function", "Period"}, {"Scale", "1"}, {"OffsetValue", "7"}, {"OffsetPrefix", "m"}},
       Join({{"CONF:PER (@1)"},
             kTimeGate,
             {"CALCulate2:LIMit:STATe OFF", "SYST:COMM:SER:CONT:DTR OFF", "CALC:MATH:STATE ON",
              "TRACE SCALE,1.0000000000000000", "TRACE OFFSET,7 nS", "CALC3:AVER:STATE OFF"},
             kCh1,
             kStart})},
      {"duty offset is a plain number",
       {{"Function", "Duty"},
        {"Scale", "1"},
        {"ScaleValue", "0"},
        {"OffsetValue", "4"},
        {"OffsetPrefix", "M"}},
       Join({{"CONF:DCYC", "TINTerval:ARM:STARt:SOURce IMM"},
             {"CALCulate2:LIMit:STATe OFF", "SYST:COMM:SER:CONT:DTR OFF", "CALC:MATH:STATE ON",
              "TRACE SCALE,0", "TRACE OFFSET,4000000.0000000000000000", "CALC3:AVER:STATE OFF"},
             kCh1NoSlope,
             kStart})},
      {"statistics: stdev of at least 2, in limits, N runs",
       {{"StatShow", "1"},
        {"StatType", "Stdev"},
        {"StatCount", "1"},
        {"StatUse", "InLimit"},
        {"StatSingle", "N"}},
       Join({{"FUNC 'FREQ 1'"},
             kTimeGate,
             {"CALCulate2:LIMit:STATe OFF", "SYST:COMM:SER:CONT:DTR OFF", "CALC:MATH:STATE OFF",
              "CALC3:AVER:STATE ON", "CALC3:AVERAGE:TYPE SDEV", "CALC3:AVER:COUNT 2",
              "CALCulate3:LFILter:STATe ON", "TRIGger:COUNt:AUTO ON"},
             kCh1,
             kStart})},
      {"statistics: delta of 100, all, once",
       {{"StatShow", "1"}, {"StatType", "Delta"}},
       Join({{"FUNC 'FREQ 1'"},
             kTimeGate,
             {"CALCulate2:LIMit:STATe OFF", "SYST:COMM:SER:CONT:DTR OFF", "CALC:MATH:STATE OFF",
              "CALC3:AVER:STATE ON", "CALC3:AVERAGE:TYPE Delta", "CALC3:AVER:COUNT 100",
              "CALCulate3:LFILter:STATe OFF", "TRIGger:COUNt:AUTO OFF"},
             kCh1,
             kStart})},
      {"absolute level 5.2 with x10, middle, DC, 50 ohms, filter",
       {{"Ch1LevelMode", "Absolute"},
        {"Ch1LevelAbs", "5.2"},
        {"Ch1X10", "1"},
        {"Ch1Slope", "Neg"},
        {"Ch1Sens", "Middle"},
        {"Ch1Coupling", "DC"},
        {"Ch1Impedance", "50 ohms"},
        {"Ch1Filter", "1"}},
       Join({{"FUNC 'FREQ 1'"},
             kTimeGate,
             kNoLimitMathStats,
             {"EVEN:LEV:AUTO 0", "EVEN:LEV:ABS 5.2", "EVEN:SLOP NEG", "EVEN:HYST:REL 50",
              "INP:COUP DC", "INP:IMP 50", "INP:ATT 10", "INP:FILT 1"},
             kStart})},
      {"absolute level 51.25 with x10 is in range, sens low",
       {{"Ch1LevelMode", "Absolute"},
        {"Ch1LevelAbs", "51.25"},
        {"Ch1X10", "1"},
        {"Ch1Sens", "Low"}},
       Join({{"FUNC 'FREQ 1'"},
             kTimeGate,
             kNoLimitMathStats,
             {"EVEN:LEV:AUTO 0", "EVEN:LEV:ABS 51.25", "EVEN:SLOP POS", "EVEN:HYST:REL 100",
              "INP:COUP AC", "INP:IMP 1000000", "INP:ATT 10", "INP:FILT 0"},
             kStart})},
      {"empty absolute level sends 0; -5.125 without x10 is in range",
       {{"Function", "Ratio"},
        {"Ch1LevelMode", "Absolute"},
        {"Ch2LevelMode", "Absolute"},
        {"Ch2LevelAbs", "-5.125"}},
       Join({{"CONF:FREQ:RAT (@1),(@2)"},
             kTimeGate,
             kNoLimitMathStats,
             {"EVEN:LEV:AUTO 0", "EVEN:LEV:ABS 0", "EVEN:SLOP POS", "EVEN:HYST:REL 0",
              "INP:COUP AC", "INP:IMP 1000000", "INP:ATT 1", "INP:FILT 0", "EVEN2:LEV:AUTO 0",
              "EVEN2:LEV:ABS -5.125", "EVEN2:SLOP POS", "EVEN2:HYST:REL 0", "INP2:COUP AC",
              "INP2:IMP 1000000", "INP2:ATT 1", "INP2:FILT 0"},
             kStart})},
      {"relative level 70 on CH2",
       {{"FreqChannel", "CH2"}, {"Ch2LevelRel", "70"}},
       Join({{"FUNC 'FREQ 2'"},
             kTimeGate,
             kNoLimitMathStats,
             {"EVEN2:LEV:AUTO 1", "EVEN2:LEV:REL 70", "EVEN2:SLOP POS", "EVEN2:HYST:REL 0",
              "INP2:COUP AC", "INP2:IMP 1000000", "INP2:ATT 1", "INP2:FILT 0"},
             kStart})},
  };
  for (const RunCase& c : cases) {
    SCOPED_TRACE(c.name);
    panel.Initialise();
    view = CRecordingView{};
    Apply(c.settings);
    counter->ClearReceived();
    run.RunStart();
    EXPECT_EQ(Received(), c.sent);
    EXPECT_TRUE(run.running());
    EXPECT_TRUE(view.timerOn);
    EXPECT_EQ(view.timerMs, c.intervalMs);
    EXPECT_TRUE(ui.messages.empty());
    run.RunStop();
  }
}

struct ExampleCase {
  Settings settings;
  std::string sent;
};

// The limit, scale and offset texts with their units and numeric forms, as the counter gets them.
TEST_F(RunStartTest, LimitScaleAndOffsetTexts) {
  const ExampleCase cases[] = {
      {{{"Upper", "1"}, {"UpperValue", "5"}, {"UpperUnit", "KHz"}}, "CALCulate2:LIMit:UPPer 5 KHZ"},
      {{{"Upper", "1"}, {"UpperValue", "5"}, {"UpperUnit", "mHz"}},
       "CALCulate2:LIMit:UPPer 5000.000000 uHZ"},
      {{{"Upper", "1"}, {"UpperValue", "5"}, {"UpperUnit", "Hz"}}, "CALCulate2:LIMit:UPPer 5  HZ"},
      {{{"Upper", "1"}, {"UpperValue", "0"}, {"UpperUnit", "MHz"}}, "CALCulate2:LIMit:UPPer 0HZ"},
      {{{"Upper", "1"}, {"UpperValue", "7.5"}, {"UpperUnit", "uHz"}},
       "CALCulate2:LIMit:UPPer 7.5 uHZ"},
      {{{"Upper", "1"}, {"UpperValue", "7.5"}, {"UpperUnit", "MHz"}},
       "CALCulate2:LIMit:UPPer 7.5 MHZ"},
      {{{"Function", "Period"}, {"Upper", "1"}, {"LowerValue", "2"}, {"LowerUnit", "mSec"}},
       "CALCulate2:LIMit:LOWer 2 mS"},
      {{{"Function", "Period"}, {"Upper", "1"}, {"LowerValue", "2"}, {"LowerUnit", "uSec"}},
       "CALCulate2:LIMit:LOWer 2 uS"},
      {{{"Function", "Intval"}, {"Upper", "1"}, {"LowerValue", "2"}, {"LowerUnit", "nSec"}},
       "CALCulate2:LIMit:LOWer 2 nS"},
      {{{"Function", "Edge"}, {"Upper", "1"}, {"LowerValue", "2"}, {"LowerUnit", "pSec"}},
       "CALCulate2:LIMit:LOWer 2 pS"},
      {{{"Function", "Phase"}, {"Upper", "1"}, {"UpperValue", "4"}, {"UpperUnit", "uDeg"}},
       "CALCulate2:LIMit:UPPer 4 uDeg"},
      {{{"Function", "Phase"}, {"Upper", "1"}, {"UpperValue", "4"}, {"UpperUnit", "mDeg"}},
       "CALCulate2:LIMit:UPPer 4000.000000 uDeg"},
      {{{"Function", "Phase"}, {"Upper", "1"}, {"UpperValue", "4"}, {"UpperUnit", "MDeg"}},
       "CALCulate2:LIMit:UPPer 4 MDeg"},
      {{{"Function", "Ratio"}, {"Upper", "1"}, {"UpperValue", "3"}, {"UpperUnit", "K"}},
       "CALCulate2:LIMit:UPPer 3 KHZ"},
      {{{"Function", "Duty"}, {"Upper", "1"}, {"UpperValue", "50"}, {"UpperUnit", ""}},
       "CALCulate2:LIMit:UPPer 50.0000000000000000"},
      {{{"Function", "Duty"}, {"Upper", "1"}, {"UpperValue", "5"}, {"UpperUnit", "u"}},
       "CALCulate2:LIMit:UPPer 0.0000050000000000"},
      {{{"Function", "Duty"}, {"Upper", "1"}, {"UpperValue", "5"}, {"UpperUnit", "K"}},
       "CALCulate2:LIMit:UPPer 5000.0000000000000000"},
      {{{"Function", "Duty"}, {"Upper", "1"}, {"UpperValue", "5"}, {"UpperUnit", "M"}},
       "CALCulate2:LIMit:UPPer 5000000.0000000000000000"},
      {{{"Function", "Duty"}, {"Upper", "1"}, {"UpperValue", "0"}}, "CALCulate2:LIMit:UPPer 0"},
      {{{"Scale", "1"}, {"ScaleValue", "2"}, {"ScalePrefix", "K"}},
       "TRACE SCALE,2000.0000000000000000"},
      {{{"Scale", "1"}, {"ScaleValue", "2"}, {"ScalePrefix", "M"}},
       "TRACE SCALE,2000000.0000000000000000"},
      {{{"Scale", "1"}, {"ScaleValue", "2"}, {"ScalePrefix", "u"}},
       "TRACE SCALE,0.0000020000000000"},
      {{{"Scale", "1"}, {"ScaleValue", "2.5"}}, "TRACE SCALE,2.5000000000000000"},
      {{{"Scale", "1"}, {"OffsetValue", "3"}, {"OffsetPrefix", "M"}},
       "TRACE OFFSET,3000.000000 KHZ"},
      {{{"Scale", "1"}, {"OffsetValue", "3"}, {"OffsetPrefix", "K"}}, "TRACE OFFSET,3 KHZ"},
      {{{"Scale", "1"}, {"OffsetValue", "3"}, {"OffsetPrefix", "m"}},
       "TRACE OFFSET,3000.000000 uHZ"},
      {{{"Scale", "1"}, {"OffsetValue", "-3"}}, "TRACE OFFSET,-3  HZ"},
      {{{"Function", "Phase"}, {"Scale", "1"}, {"OffsetValue", "3"}, {"OffsetPrefix", "u"}},
       "TRACE OFFSET,3 uDeg"},
      {{{"Function", "Width"}, {"Scale", "1"}, {"OffsetValue", "3"}, {"OffsetPrefix", "M"}},
       "TRACE OFFSET,3  S"},
      {{{"Function", "Duty"}, {"Scale", "1"}, {"OffsetValue", "3"}, {"OffsetPrefix", "m"}},
       "TRACE OFFSET,0.0030000000000000"},
      {{{"Function", "Duty"}, {"Scale", "1"}}, "TRACE OFFSET,0.0000000000000000"},
  };
  for (const ExampleCase& c : cases) {
    SCOPED_TRACE(c.sent);
    panel.Initialise();
    Apply(c.settings);
    counter->ClearReceived();
    run.RunStart();
    const Commands sent = Received();
    EXPECT_NE(std::find(sent.begin(), sent.end(), c.sent), sent.end());
    run.RunStop();
  }
}

// A desktop in a decimal-comma language: the counter still gets decimal points, and the readings
// still read and show with them.
TEST_F(RunStartTest, CommandsAndReadingsIgnoreTheProcessLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE locale installed";
  Apply({{"GateTime", "0.5"}, {"Upper", "1"}, {"UpperValue", "1.5"}, {"UpperUnit", "mHz"},
         {"Scale", "1"}, {"ScaleValue", "2.5"}, {"ScalePrefix", "m"}});
  run.RunStart();
  run.OnReadingTimer();
  const Commands sent = Received();
  const std::string current = view.readouts[IDC_READOUT_CURRENT];
  const double value = run.buffer.Slot(1);
  run.RunStop();
  std::setlocale(LC_ALL, saved.c_str());
  for (const char* c : {"FREQuency:ARM:STOP:TIMer 0.5", "CALCulate2:LIMit:UPPer 1500.000000 uHZ",
                        "TRACE SCALE,0.0025000000000000"}) {
    EXPECT_NE(std::find(sent.begin(), sent.end(), c), sent.end()) << c;
  }
  EXPECT_GT(value, 1000.0);  // the whole reading, not the part before a point
  EXPECT_NE(current.find('.'), std::string::npos) << current;
  EXPECT_EQ(current.find(','), std::string::npos) << current;
}

// What the panel shows after the sequence: the normalised edit texts are written back.
TEST_F(RunStartTest, NormalisedTextsAreWrittenBack) {
  Apply({{"GateTime", "0.05"},
         {"Upper", "1"},
         {"UpperValue", "0"},
         {"LowerValue", "abc"},
         {"StatShow", "1"},
         {"StatCount", "-4"}});
  run.RunStart();
  EXPECT_EQ(panel.Text(IDC_GATE_TIME), "1");
  EXPECT_EQ(panel.Text(IDC_STOP_TIME), "1");
  EXPECT_EQ(panel.Text(IDC_UPPER_VALUE), "0");
  EXPECT_EQ(panel.Text(IDC_LOWER_VALUE), "0");
  EXPECT_EQ(panel.Text(IDC_STAT_COUNT), "2");
  EXPECT_TRUE(panel.statisticsFlag);
  EXPECT_EQ(run.ReadingQuery(), "calc3:data?");
  EXPECT_EQ(panel.functionCaption, "( Freq )");
  EXPECT_GE(view.panelChanges, 1);
}

TEST_F(RunStartTest, VoltAndTotalDropLimitsMathAndStatistics) {
  for (const char* function : {"Volt", "Total"}) {
    panel.Initialise();
    Apply({{"Function", function}});
    // Checked during an earlier run that changed function while running.
    panel.SetChecked(IDC_UPPER, true);
    panel.SetChecked(IDC_SCALE, true);
    panel.mathFlag = true;
    panel.SetChecked(IDC_STAT_SHOW, true);
    panel.statisticsFlag = true;
    counter->ClearReceived();
    run.RunStart();
    EXPECT_FALSE(panel.Checked(IDC_UPPER)) << function;
    EXPECT_FALSE(panel.Checked(IDC_SCALE));
    EXPECT_FALSE(panel.Checked(IDC_STAT_SHOW));
    EXPECT_FALSE(panel.mathFlag);
    EXPECT_FALSE(panel.statisticsFlag);
    EXPECT_EQ(run.ReadingQuery(), "fetch?\n");
    for (const std::string& c : Received()) {
      EXPECT_EQ(c.find("CALC"), std::string::npos) << c;
      EXPECT_EQ(c.find("SYST:COMM"), std::string::npos) << c;
    }
    run.RunStop();
  }
}

struct LevelCase {
  const char* level;
  bool x10;
  const char* messageKey;  // "" when accepted
};

// Absolute levels are checked against the attenuator's range; a refused run stops first, keeps
// what was sent, and shows the message captioned "ERROR".
TEST_F(RunStartTest, LevelRangeChecks) {
  const LevelCase cases[] = {
      {"5.125", false, ""}, {"-5.125", false, ""}, {"5.2", false, "768"}, {"-5.2", false, "768"},
      {"5.2", true, ""},    {"51.25", true, ""},   {"51.3", true, "769"}, {"-51.3", true, "769"},
      {"60", false, "768"}, {"nan", false, "768"}, {"inf", true, "769"},  {"1e400", true, "769"},
  };
  for (const LevelCase& c : cases) {
    SCOPED_TRACE(std::string(c.level) + (c.x10 ? " x10" : ""));
    panel.Initialise();
    Apply({{"Ch1LevelMode", "Absolute"}, {"Ch1LevelAbs", c.level}, {"Ch1X10", c.x10 ? "1" : "0"}});
    ui.messages.clear();
    view = CRecordingView{};
    counter->ClearReceived();
    run.RunStart();
    const Commands sent = Received();
    if (*c.messageKey == 0) {
      EXPECT_TRUE(run.running());
      EXPECT_TRUE(ui.messages.empty());
      run.RunStop();
      continue;
    }
    EXPECT_FALSE(run.running());
    EXPECT_FALSE(view.timerOn);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "ERROR");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Stop);
    EXPECT_EQ(ui.messages[0].text,
              std::string(c.messageKey) == "769"
                  ? "Over-range! Please re-enter a Level's value between 51.25 to (-51.25)."
                  : "Over-range! Please re-enter a Level's value between 5.125 to (-5.125).");
    // Run Stop came after the commands before the channel settings; no level was sent.
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), "INIT:CONT OFF");
    EXPECT_EQ(sent[sent.size() - 2], "CALC3:AVER:STATE OFF");
    EXPECT_EQ(panel.Text(IDC_CH1_LEVEL_ABS), c.level);  // nothing written into the field
    EXPECT_EQ(view.states, (std::vector<bool>{true, false}));
  }
}

// A CH2 level out of range: the CH1 settings have gone out already.
TEST_F(RunStartTest, SecondChannelOutOfRangeAfterTheFirst) {
  Apply({{"Function", "Ratio"},
         {"Ch1LevelMode", "Absolute"},
         {"Ch2LevelMode", "Absolute"},
         {"Ch2LevelAbs", "7"}});
  run.RunStart();
  const Commands sent = Received();
  ASSERT_GE(sent.size(), 9u);
  EXPECT_EQ(
      Commands(sent.end() - 9, sent.end()),
      (Commands{"EVEN:LEV:AUTO 0", "EVEN:LEV:ABS 0", "EVEN:SLOP POS", "EVEN:HYST:REL 0",
                "INP:COUP AC", "INP:IMP 1000000", "INP:ATT 1", "INP:FILT 0", "INIT:CONT OFF"}));
  // The CH1 "0" was never written back: the run did not finish.
  EXPECT_EQ(panel.Text(IDC_CH1_LEVEL_ABS), "");
  EXPECT_FALSE(run.running());
}

TEST_F(RunStartTest, RefusedWithoutAnInstrument) {
  CConsoleDeviceTable noConsole;
  CDeviceManager none{ui, noConsole};  // no discovery: nothing found
  CRunController idle{panel, none, ui, view};
  counter->ClearReceived();
  idle.RunStart();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "No Device Connected");
  EXPECT_EQ(ui.messages[0].caption, "ZC4100_AP");
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_TRUE(view.states.empty());
  EXPECT_EQ(view.clears, 0);
  EXPECT_FALSE(view.timerOn);
  EXPECT_TRUE(Received().empty());
}

}  // namespace
}  // namespace zc::fp::testing
