// scenario.h -- replaying key scripts through driftwing-replay and reading back the trace
//
// Scenario tests drive the real runner as a separate process, so that they see the
// game exactly as a replay does: its start-up, its frames and its trace lines.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

struct ReplayRun {
    int exitCode;                       // the runner's exit status; -1 when it did not exit
    std::string errors;                 // everything it printed on standard error
    std::vector<nlohmann::json> frames;  // frames[n] is the trace line of frame n
};

// Runs driftwing-replay on the script text with --data <build folder> --trace <tmp>,
// then the extra arguments, then the script file; reads the trace back.
ReplayRun runReplay(const std::string& scriptText, const std::vector<std::string>& extraArgs = {});

// The same for a script file under tests/scenarios/ (e.g. "start_and_idle.keys").
ReplayRun runScenario(const std::string& fileName, const std::vector<std::string>& extraArgs = {});

// runScenario for a script that must run to its end or to Escape: a failure to do so
// is reported, naming the script.
ReplayRun playScenario(const std::string& fileName);

// One integer field of the trace line of frame n.
int traceField(const ReplayRun& run, size_t frame, const char* key);

// Runs the runner with exactly these arguments (no --data, no --trace added), from
// the build folder, feeding `input` on standard input. frames stay empty; stdout is
// returned in `output`.
ReplayRun runReplayProcess(const std::vector<std::string>& args, const std::string& input,
                           std::string* output = nullptr);

// Paths the scenario tests work with.
std::string replayProgram();     // the driftwing-replay executable
std::string buildFolder();       // holds data/ with the generated assets
std::string scenarioFolder();    // tests/scenarios in the source tree
std::string scratchPath(const std::string& name);  // a fresh path in a per-process temp folder

// The values of one top-level key over frames first..last (inclusive) of a run.
std::vector<nlohmann::json> fieldOverFrames(const ReplayRun& run, const std::string& key,
                                            size_t first, size_t last);

// Passes when `key` takes exactly `expected` over the frames starting at `first`;
// otherwise names the first frame that differs with both values.
::testing::AssertionResult fieldRunsThrough(const ReplayRun& run, const std::string& key,
                                            size_t first,
                                            const std::vector<nlohmann::json>& expected);

// Passes when two runs wrote the same trace; otherwise names the first frame that
// differs and the first key in it that differs (or which run is shorter).
::testing::AssertionResult sameTrace(const ReplayRun& a, const ReplayRun& b);

// The first frame at or after `from` whose line satisfies `test`, or -1.
long firstFrameWhere(const ReplayRun& run, const std::function<bool(const nlohmann::json&)>& test,
                     size_t from = 0);
