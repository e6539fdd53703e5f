// Suites: the file read into cases, the cases run as child processes of the player on all
// cores, and the results as lines and as JUnit XML.
#include "host/player/suite.h"

#include <cctype>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <thread>

#include "host/media.h"
#include "host/os/os.h"
#include "host/player/player.h"

namespace plexaro {
namespace {

constexpr size_t SuiteLimit = 1u << 20;
constexpr size_t OutputLimit = 64u << 10;  // of a case's messages kept for the report

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

struct CaseRun {
    const SuiteCase* suiteCase;
    ChildProcess child;
    std::FILE* output;  // the child's stdout and stderr
    std::chrono::steady_clock::time_point start;
    double seconds;
    int status;       // the exit status, or -1 when it did not exit by itself
    std::string how;  // with -1: how it ended
    std::string messages;
};

std::string ReadOutput(std::FILE* output) {
    std::string text;
    std::rewind(output);
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, output)) > 0;) {
        text.append(buffer, std::min(n, OutputLimit - std::min(OutputLimit, text.size())));
    }
    std::fclose(output);
    return text;
}

// The line that says why: the first of the player's messages that is not a warning list.
std::string Reason(const CaseRun& run) {
    if (run.status < 0) return run.how;
    std::istringstream in(run.messages);
    for (std::string line; std::getline(in, line);) {
        // Not the header of the warnings' list ("plexaro: 3 warnings ..."), which says no why.
        if (line.starts_with("plexaro: ") && !std::isdigit(static_cast<unsigned char>(line[9]))) {
            return line.substr(9);
        }
    }
    return "exit status " + std::to_string(run.status);
}

std::string XmlEscape(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default:
                // XML 1.0 has no place for other control characters.
                if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t') {
                    out += '?';
                } else {
                    out += c;
                }
        }
    }
    return out;
}

std::string JUnitReport(const std::string& suiteName, const std::vector<CaseRun>& runs,
                        double seconds) {
    uint32_t failures = 0;
    uint32_t errors = 0;
    for (const CaseRun& run : runs) {
        if (run.status == ExitMismatch) ++failures;
        if (run.status != ExitSuccess && run.status != ExitMismatch) ++errors;
    }
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    char header[256];
    std::snprintf(header, sizeof header,
                  "<testsuite name=\"%s\" tests=\"%zu\" failures=\"%" PRIu32 "\" errors=\"%" PRIu32
                  "\" time=\"%.3f\">\n",
                  XmlEscape(suiteName).c_str(), runs.size(), failures, errors, seconds);
    xml += header;
    for (const CaseRun& run : runs) {
        char time[32];
        std::snprintf(time, sizeof time, "%.3f", run.seconds);
        xml += "  <testcase classname=\"" + XmlEscape(suiteName) + "\" name=\"" +
               XmlEscape(run.suiteCase->name) + "\" time=\"" + time + "\">\n";
        if (run.status != ExitSuccess) {
            const char* element = run.status == ExitMismatch ? "failure" : "error";
            xml += std::string("    <") + element + " message=\"" + XmlEscape(Reason(run)) + "\">" +
                   XmlEscape(run.messages) + "</" + element + ">\n";
        }
        xml += "    <system-out>" + XmlEscape(run.messages) + "</system-out>\n";
        xml += "  </testcase>\n";
    }
    return xml + "</testsuite>\n";
}

}  // namespace

bool ParseSuite(const std::string& text, std::vector<SuiteCase>& cases, uint32_t& line,
                std::string& error) {
    SuiteCase defaults{};
    SuiteCase* current = &defaults;
    std::istringstream in(text);
    line = 0;
    for (std::string raw; std::getline(in, raw);) {
        ++line;
        const std::string content = Trim(raw.substr(0, raw.find('#')));
        if (content.empty()) continue;
        const size_t split = content.find_first_of(" \t");
        const std::string key = content.substr(0, split);
        const std::string value = split == std::string::npos ? "" : Trim(content.substr(split));
        if (value.empty()) {
            error = "'" + key + "' needs a value";
            return false;
        }
        if (key == "case") {
            for (const SuiteCase& other : cases) {
                if (other.name == value) {
                    error = "a second case named '" + value + "'";
                    return false;
                }
            }
            cases.push_back(defaults);
            current = &cases.back();
            current->name = value;
            current->line = line;
        } else if (key == "cartridge") {
            current->cartridge = value;
        } else if (key == "frames") {
            current->frames = value;
        } else if (key == "input") {
            current->input = value;
        } else if (key == "hash") {
            current->hash = value;
        } else if (key == "screenshot") {
            current->screenshot = value;
        } else if (key == "options") {
            for (const std::string& word : Words(value)) current->options.push_back(word);
        } else {
            error = "unknown key '" + key +
                    "' (case, cartridge, frames, input, hash, screenshot, options)";
            return false;
        }
    }
    for (const SuiteCase& suiteCase : cases) {
        if (suiteCase.cartridge.empty()) {
            line = suiteCase.line;
            error = "case '" + suiteCase.name + "' has no cartridge";
            return false;
        }
    }
    if (cases.empty()) {
        error = "no cases (each starts with 'case NAME')";
        return false;
    }
    return true;
}

std::vector<std::string> SuiteCaseArguments(const SuiteCase& suiteCase) {
    std::vector<std::string> words = {"--headless"};
    if (!suiteCase.frames.empty()) words.insert(words.end(), {"--frames", suiteCase.frames});
    if (!suiteCase.input.empty()) words.insert(words.end(), {"--input", suiteCase.input});
    if (!suiteCase.hash.empty()) words.insert(words.end(), {"--expect-hash", suiteCase.hash});
    if (!suiteCase.screenshot.empty()) {
        words.insert(words.end(), {"--expect-screenshot", suiteCase.screenshot});
    }
    words.insert(words.end(), suiteCase.options.begin(), suiteCase.options.end());
    words.insert(words.end(), {"--", suiteCase.cartridge});
    return words;
}

int RunSuite(const PlayerOptions& options) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(options.suitePath, SuiteLimit, bytes)) {
        std::fprintf(stderr, "plexaro: %s: can't read the suite (a file of at most 1 MB)\n",
                     options.suitePath.c_str());
        return ExitUsage;
    }
    std::vector<SuiteCase> cases;
    uint32_t line = 0;
    std::string error;
    if (!ParseSuite(std::string(bytes.begin(), bytes.end()), cases, line, error)) {
        std::fprintf(stderr, "plexaro: %s:%" PRIu32 ": %s\n", options.suitePath.c_str(), line,
                     error.c_str());
        return ExitUsage;
    }
    namespace fs = std::filesystem;
    std::string problem;
    const std::string program = OwnProgramPath(&problem);
    if (program.empty()) {
        std::fprintf(stderr, "plexaro: can't run the cases: %s\n", problem.c_str());
        return ExitFailure;
    }
    std::error_code ignored;
    // The cases run in the suite's folder, so that relative paths in options work as written.
    const std::string folder =
        TextOf(fs::absolute(PathOf(options.suitePath), ignored).parent_path());
    const std::string suiteName = TextOf(PathOf(options.suitePath).stem());

    std::vector<CaseRun> runs(cases.size());
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    std::map<int64_t, size_t> running;
    size_t next = 0;
    uint32_t failed = 0;
    const auto start = std::chrono::steady_clock::now();
    std::fflush(stdout);
    while (next < cases.size() || !running.empty()) {
        while (next < cases.size() && running.size() < cores) {
            CaseRun& run = runs[next];
            run = {&cases[next], {}, std::tmpfile(), std::chrono::steady_clock::now(), 0, -1,
                   {},           {}};
            const std::string why =
                run.output == nullptr ? "no temporary file for its messages"
                                      : StartChildProcess(program, SuiteCaseArguments(cases[next]),
                                                          folder, run.output, &run.child);
            if (!why.empty()) {
                if (run.output != nullptr) std::fclose(run.output);
                run.output = nullptr;
                run.status = ExitFailure;
                run.messages = "plexaro: the case could not be started: " + why + "\n";
                std::printf("FAIL  %s: could not be started: %s\n", cases[next].name.c_str(),
                            why.c_str());
                ++failed;
                ++next;
                continue;
            }
            running[run.child.id] = next++;
        }
        if (running.empty()) continue;
        const ChildEnd end = WaitForAnyChild();
        // Children the system no longer knows of end every case still running, with its
        // reason, rather than being waited for forever.
        std::vector<size_t> ended;
        if (end.child.id == 0) {
            for (const auto& entry : running) ended.push_back(entry.second);
            running.clear();
        } else if (const auto found = running.find(end.child.id); found != running.end()) {
            ended.push_back(found->second);
            running.erase(found);
        }
        for (const size_t index : ended) {
            CaseRun& run = runs[index];
            run.seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - run.start).count();
            run.status = end.status;
            run.how = end.child.id == 0 ? "can't wait for it: " + end.why : end.why;
            run.messages = ReadOutput(run.output);
            run.output = nullptr;
            if (run.status != ExitSuccess) ++failed;
            if (run.status == ExitSuccess) {
                std::printf("ok    %s (%.2f s)\n", run.suiteCase->name.c_str(), run.seconds);
            } else {
                std::printf("FAIL  %s (%.2f s): %s\n", run.suiteCase->name.c_str(), run.seconds,
                            Reason(run).c_str());
            }
        }
        std::fflush(stdout);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%zu cases, %zu passed, %" PRIu32 " failed (%.2f s)\n", cases.size(),
                cases.size() - failed, failed, seconds);

    if (!options.junitPath.empty()) {
        const std::string xml = JUnitReport(suiteName, runs, seconds);
        const std::string why = ReplaceWholeFile(options.junitPath, xml.data(), xml.size());
        if (!why.empty()) {
            std::fprintf(stderr, "plexaro: %s: can't write the JUnit report: %s\n",
                         options.junitPath.c_str(), why.c_str());
            return ExitFailure;
        }
    }
    return failed > 0 ? ExitMismatch : ExitSuccess;
}

}  // namespace plexaro
