#pragma once

// Where a simulated tablet's script comes from: a file, or a pipe (a FIFO, or a named pipe on
// Windows) whose writer sends lines as they come. The platform's file calls, one file each.

#include <cstddef>
#include <memory>
#include <span>
#include <string>

namespace ondrel {

class ScriptSource {
  public:
    // Opens the script; a pipe blocks here until its writer opens it.
    explicit ScriptSource(const std::string& path);
    ~ScriptSource();
    ScriptSource(const ScriptSource&) = delete;
    ScriptSource& operator=(const ScriptSource&) = delete;

    bool isOpen() const;
    // Up to buffer.size() bytes; 0 at the end of the script, on an error, or once interrupted.
    // Blocks while a pipe is silent.
    std::size_t Read(std::span<char> buffer);
    // From any thread: a Read under way, and every later one, returns 0.
    void Interrupt();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace ondrel
