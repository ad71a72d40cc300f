#pragma once

// The simulated tablet's script: one command a line, read from a file or a FIFO as lines
// arrive. The lines are those of the usbvm scenarios, plus `stroke` and `pipe`:
//
//   plug [VENDOR_HEX]      the device arrives (vendor 256C unless given)
//   unplug                 the device leaves
//   param [HEX...]         the parameter reply for later opens (alone: an empty reply)
//   pipe HEX               the address of interface 0's first endpoint for later opens
//                          (default 81; 01 makes it an OUT endpoint, which is not the tablet)
//   report B0 .. B7        one report; the script goes on once a read has taken it
//   stroke X0 Y0 X1 Y1 [STEPS [PRESSURE]]
//                          a pen-down line of STEPS+1 reports (default 16, pressure 1000)
//                          from (X0,Y0) to (X1,Y1) in tablet units, then a pen-up report
//   sleep MS               wait
//   wait signing           wait until the window is in signing mode (strokes sent before the
//                          visitor agrees are wiped when signing mode begins)
//   # ...                  comment (also after a command); blank lines are skipped

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tablet/sim/script_source.h"
#include "tablet/sim/sim_tablet.h"

namespace ondrel {

struct ScriptCommand {
    enum class Kind { Plug, Unplug, Param, Pipe, Report, Stroke, Sleep, WaitSigning };
    Kind kind = Kind::Sleep;
    std::uint16_t vendorId = TABLET_VENDOR_ID;     // plug
    std::vector<std::uint8_t> bytes;               // param, report, pipe (one byte)
    std::chrono::milliseconds duration{0};         // sleep
    std::uint16_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // stroke
    unsigned steps = 16;                           // stroke
    std::uint16_t pressure = 1000;                 // stroke
};

// One line to its command. Blank and comment lines give nothing and leave `error` empty; a
// line that is not understood gives nothing and says why in `error`.
std::optional<ScriptCommand> ParseScriptLine(std::string_view line, std::string& error);

// The reports of a stroke command: pen down along the line, then pen up at its end.
std::vector<PenReportBytes> ExpandStroke(const ScriptCommand& stroke);

// Runs a script against a SimTablet (see SimTablet::RunScript). Unknown lines are reported on
// standard error and skipped. The end of the file (or the last writer closing the FIFO) ends
// the script; the device stays as the script left it.
class SimScriptRunner {
  public:
    SimScriptRunner(SimTablet& sim, const std::string& path);
    ~SimScriptRunner();  // the SimTablet must be halted first (it is, by its destructor)
    SimScriptRunner(const SimScriptRunner&) = delete;
    SimScriptRunner& operator=(const SimScriptRunner&) = delete;

  private:
    bool NextCommand(ScriptCommand& command);
    bool NextLine(std::string& line);
    void Execute(const ScriptCommand& command);
    void Sleep(std::chrono::milliseconds duration);

    SimTablet& sim_;
    ScriptSource source_;
    std::string pendingText_;
    std::size_t lineNumber_ = 0;

    std::mutex mutex_;
    std::condition_variable stopped_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace ondrel
