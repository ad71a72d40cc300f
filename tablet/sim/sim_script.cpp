#include "tablet/sim/sim_script.h"

#include <array>
#include <charconv>
#include <iostream>

namespace ondrel {

namespace {

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) {
            ++i;
        }
        if (i >= line.size() || line[i] == '#') {
            break;
        }
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' &&
               line[i] != '#') {
            ++i;
        }
        words.push_back(line.substr(start, i - start));
    }
    return words;
}

template <typename T>
bool ParseNumber(std::string_view word, int base, T& value) {
    const auto [ptr, ec] = std::from_chars(word.data(), word.data() + word.size(), value, base);
    return ec == std::errc() && ptr == word.data() + word.size();
}

bool ParseHexBytes(const std::vector<std::string_view>& words, std::vector<std::uint8_t>& bytes) {
    for (std::size_t i = 1; i < words.size(); ++i) {
        std::uint8_t byte = 0;
        if (words[i].size() > 2 || !ParseNumber(words[i], 16, byte)) {
            return false;
        }
        bytes.push_back(byte);
    }
    return true;
}

PenReportBytes MakeReport(std::uint16_t x, std::uint16_t y, std::uint16_t pressure) {
    return EncodePenReport({x, y, pressure}, 0x07, pressure != 0 ? 0x80 : 0x00);
}

}  // namespace

std::optional<ScriptCommand> ParseScriptLine(std::string_view line, std::string& error) {
    error.clear();
    const std::vector<std::string_view> words = Words(line);
    if (words.empty()) {
        return std::nullopt;
    }
    ScriptCommand command;
    const std::string_view verb = words[0];
    if (verb == "plug" && words.size() <= 2) {
        command.kind = ScriptCommand::Kind::Plug;
        if (words.size() == 2 && !ParseNumber(words[1], 16, command.vendorId)) {
            error = "plug takes a hexadecimal vendor id";
            return std::nullopt;
        }
        return command;
    }
    if (verb == "unplug" && words.size() == 1) {
        command.kind = ScriptCommand::Kind::Unplug;
        return command;
    }
    if (verb == "param") {
        command.kind = ScriptCommand::Kind::Param;
        if (words.size() > 256 || !ParseHexBytes(words, command.bytes)) {
            error = "param takes up to 255 hexadecimal bytes";
            return std::nullopt;
        }
        return command;
    }
    if (verb == "pipe") {
        command.kind = ScriptCommand::Kind::Pipe;
        if (words.size() != 2 || !ParseHexBytes(words, command.bytes)) {
            error = "pipe takes one hexadecimal endpoint address";
            return std::nullopt;
        }
        return command;
    }
    if (verb == "report") {
        command.kind = ScriptCommand::Kind::Report;
        if (words.size() != 1 + PEN_REPORT_SIZE || !ParseHexBytes(words, command.bytes)) {
            error = "report takes exactly 8 hexadecimal bytes";
            return std::nullopt;
        }
        return command;
    }
    if (verb == "sleep" && words.size() == 2) {
        unsigned ms = 0;
        if (!ParseNumber(words[1], 10, ms)) {
            error = "sleep takes milliseconds";
            return std::nullopt;
        }
        command.kind = ScriptCommand::Kind::Sleep;
        command.duration = std::chrono::milliseconds(ms);
        return command;
    }
    if (verb == "wait") {
        if (words.size() != 2 || words[1] != "signing") {
            error = "wait takes the word signing";
            return std::nullopt;
        }
        command.kind = ScriptCommand::Kind::WaitSigning;
        return command;
    }
    if (verb == "stroke" && words.size() >= 5 && words.size() <= 7) {
        command.kind = ScriptCommand::Kind::Stroke;
        bool ok = ParseNumber(words[1], 10, command.x0) && ParseNumber(words[2], 10, command.y0) &&
                  ParseNumber(words[3], 10, command.x1) && ParseNumber(words[4], 10, command.y1);
        if (ok && words.size() >= 6) {
            ok = ParseNumber(words[5], 10, command.steps) && command.steps >= 1 &&
                 command.steps <= 10000;
        }
        if (ok && words.size() == 7) {
            ok = ParseNumber(words[6], 10, command.pressure) && command.pressure != 0;
        }
        if (!ok) {
            error = "stroke takes X0 Y0 X1 Y1 [STEPS [PRESSURE]] in decimal";
            return std::nullopt;
        }
        return command;
    }
    error = "unknown command";
    return std::nullopt;
}

std::vector<PenReportBytes> ExpandStroke(const ScriptCommand& stroke) {
    std::vector<PenReportBytes> reports;
    const auto at = [&](std::uint16_t from, std::uint16_t to, unsigned step) {
        const long delta = static_cast<long>(to) - from;
        return static_cast<std::uint16_t>(from + delta * static_cast<long>(step) /
                                                     static_cast<long>(stroke.steps));
    };
    for (unsigned step = 0; step <= stroke.steps; ++step) {
        reports.push_back(MakeReport(at(stroke.x0, stroke.x1, step), at(stroke.y0, stroke.y1, step),
                                     stroke.pressure));
    }
    reports.push_back(MakeReport(stroke.x1, stroke.y1, 0));
    return reports;
}

SimScriptRunner::SimScriptRunner(SimTablet& sim, const std::string& path)
    : sim_(sim), source_(path) {
    if (!source_.isOpen()) {
        std::cerr << "simulated tablet: cannot open " << path << "\n";
        return;
    }
    // Lines before the first sleep, wait, report or stroke describe the world at start-up.
    ScriptCommand command;
    bool more = NextCommand(command);
    while (more && (command.kind == ScriptCommand::Kind::Plug ||
                    command.kind == ScriptCommand::Kind::Unplug ||
                    command.kind == ScriptCommand::Kind::Param ||
                    command.kind == ScriptCommand::Kind::Pipe)) {
        Execute(command);
        more = NextCommand(command);
    }
    if (!more) {
        return;
    }
    thread_ = std::thread([this, first = command] {
        ScriptCommand next = first;
        do {
            Execute(next);
        } while (NextCommand(next));
    });
}

SimScriptRunner::~SimScriptRunner() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        stopped_.notify_all();
    }
    source_.Interrupt();
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool SimScriptRunner::NextCommand(ScriptCommand& command) {
    std::string line;
    while (NextLine(line)) {
        std::string error;
        std::optional<ScriptCommand> parsed = ParseScriptLine(line, error);
        if (parsed) {
            command = std::move(*parsed);
            return true;
        }
        if (!error.empty()) {
            std::cerr << "simulated tablet: line " << lineNumber_ << ": " << error << ": " << line
                      << "\n";
        }
    }
    return false;
}

bool SimScriptRunner::NextLine(std::string& line) {
    for (;;) {
        const std::size_t newline = pendingText_.find('\n');
        if (newline != std::string::npos) {
            line = pendingText_.substr(0, newline);
            pendingText_.erase(0, newline + 1);
            ++lineNumber_;
            return true;
        }
        std::array<char, 4096> chunk;
        const std::size_t got = source_.Read(chunk);
        if (got == 0) {  // end of the script; a last line without a newline still counts
            std::lock_guard lock(mutex_);
            if (pendingText_.empty() || stopping_) {
                return false;
            }
            line = std::move(pendingText_);
            pendingText_.clear();
            ++lineNumber_;
            return true;
        }
        pendingText_.append(chunk.data(), got);
    }
}

void SimScriptRunner::Execute(const ScriptCommand& command) {
    switch (command.kind) {
        case ScriptCommand::Kind::Plug:
            sim_.Plug(command.vendorId);
            break;
        case ScriptCommand::Kind::Unplug:
            sim_.Unplug();
            break;
        case ScriptCommand::Kind::Param:
            sim_.SetParamReply(command.bytes);
            break;
        case ScriptCommand::Kind::Pipe:
            sim_.SetPipeAddress(command.bytes.front());
            break;
        case ScriptCommand::Kind::Report: {
            PenReportBytes report;
            std::copy(command.bytes.begin(), command.bytes.end(), report.begin());
            sim_.Report(report);
            break;
        }
        case ScriptCommand::Kind::Stroke:
            for (const PenReportBytes& report : ExpandStroke(command)) {
                if (!sim_.Report(report)) {
                    break;
                }
            }
            break;
        case ScriptCommand::Kind::Sleep:
            Sleep(command.duration);
            break;
        case ScriptCommand::Kind::WaitSigning:
            sim_.WaitUntilSigning();
            break;
    }
}

void SimScriptRunner::Sleep(std::chrono::milliseconds duration) {
    std::unique_lock lock(mutex_);
    stopped_.wait_for(lock, duration, [this] { return stopping_; });
}

}  // namespace ondrel
