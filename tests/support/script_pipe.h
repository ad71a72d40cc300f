#pragma once

// A script for the simulated tablet (ONDREL_TABLET_SIM) that the test writes while the program
// reads it: a FIFO on POSIX (script_pipe_posix.cpp), a named pipe on Windows
// (script_pipe_win.cpp). Its writing end stays open while the test runs, so the reader never
// sees the script end; lines sent while no reader has it open wait for the next reader, and
// each reader after the first goes on where the last one stopped.

#include <filesystem>
#include <memory>
#include <string>

namespace ondrel::test {

class ScriptPipe {
  public:
    // The FIFO is made in `folder`; a named pipe gets a name of its own.
    explicit ScriptPipe(const std::filesystem::path& folder);
    ~ScriptPipe();
    ScriptPipe(const ScriptPipe&) = delete;
    ScriptPipe& operator=(const ScriptPipe&) = delete;

    bool isOpen() const;
    // What ONDREL_TABLET_SIM names.
    std::string path() const;
    // Hands the lines on; false when they could not be.
    bool Send(const std::string& lines);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace ondrel::test
