// scenario.cpp -- running driftwing-replay as a child process for the scenario tests
#include "support/scenario.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {
std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// One temp folder per test process, removed when the process ends.
const std::string& scratchFolder() {
    static const std::string folder = [] {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") +
                              "/driftwing-scenario-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (!mkdtemp(name.data())) return std::string("/tmp");
        std::string made = name.data();
        static const std::string toRemove = made;
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(toRemove, ignored);
        });
        return made;
    }();
    return folder;
}

std::vector<nlohmann::json> readTrace(const std::string& path, std::string& errors) {
    std::vector<nlohmann::json> frames;
    std::ifstream in(path);
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        nlohmann::json parsed = nlohmann::json::parse(line, nullptr, false);
        if (parsed.is_discarded()) {
            errors += "trace line " + std::to_string(lineNumber) + " is not JSON\n";
            ADD_FAILURE() << "trace line " << lineNumber << " is not JSON: " << line.substr(0, 200);
            break;
        }
        frames.push_back(std::move(parsed));
    }
    return frames;
}

std::string shortText(const nlohmann::json& value) {
    std::string text = value.dump();
    if (text.size() > 300) text = text.substr(0, 300) + "...";
    return text;
}
}  // namespace

std::string replayProgram() {
    return DRIFTWING_REPLAY_PROGRAM;
}

std::string buildFolder() {
    return DRIFTWING_BUILD_FOLDER;
}

std::string scenarioFolder() {
    return DRIFTWING_SCENARIO_FOLDER;
}

std::string scratchPath(const std::string& name) {
    static int counter = 0;
    return scratchFolder() + "/" + std::to_string(++counter) + "-" + name;
}

ReplayRun runReplayProcess(const std::vector<std::string>& args, const std::string& input,
                           std::string* output) {
    std::string inputPath = scratchPath("stdin");
    std::string outputPath = scratchPath("stdout");
    std::string errorPath = scratchPath("stderr");
    writeFile(inputPath, input);

    std::vector<std::string> argv0{replayProgram()};
    argv0.insert(argv0.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argv0) argv.push_back(a.data());
    argv.push_back(nullptr);

    ReplayRun run{-1, "", {}};
    pid_t child = fork();
    if (child == 0) {
        int in = open(inputPath.c_str(), O_RDONLY);
        int out = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || chdir(buildFolder().c_str()) != 0) _exit(127);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    run.errors = readFile(errorPath);
    if (output) *output = readFile(outputPath);
    return run;
}

ReplayRun runReplay(const std::string& scriptText, const std::vector<std::string>& extraArgs) {
    std::string scriptPath = scratchPath("script.keys");
    writeFile(scriptPath, scriptText);
    std::string tracePath = scratchPath("trace.jsonl");
    std::vector<std::string> args{"--data", buildFolder(), "--trace", tracePath};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    args.push_back(scriptPath);
    ReplayRun run = runReplayProcess(args, "");
    run.frames = readTrace(tracePath, run.errors);
    return run;
}

ReplayRun runScenario(const std::string& fileName, const std::vector<std::string>& extraArgs) {
    std::string path = scenarioFolder() + "/" + fileName;
    if (!fs::exists(path)) {
        ADD_FAILURE() << "no scenario " << path;
        return {-1, "no scenario " + path, {}};
    }
    return runReplay(readFile(path), extraArgs);
}

std::vector<nlohmann::json> fieldOverFrames(const ReplayRun& run, const std::string& key,
                                            size_t first, size_t last) {
    std::vector<nlohmann::json> values;
    for (size_t n = first; n <= last && n < run.frames.size(); ++n)
        values.push_back(run.frames[n].contains(key) ? run.frames[n][key] : nlohmann::json());
    return values;
}

::testing::AssertionResult fieldRunsThrough(const ReplayRun& run, const std::string& key,
                                            size_t first,
                                            const std::vector<nlohmann::json>& expected) {
    for (size_t i = 0; i < expected.size(); ++i) {
        size_t n = first + i;
        if (n >= run.frames.size())
            return ::testing::AssertionFailure()
                   << "the trace ends before frame " << n << " (it has " << run.frames.size()
                   << " lines); expected " << key << " = " << shortText(expected[i]);
        const nlohmann::json& line = run.frames[n];
        nlohmann::json actual = line.contains(key) ? line[key] : nlohmann::json();
        if (actual != expected[i])
            return ::testing::AssertionFailure()
                   << "frame " << n << " is the first that differs: " << key << " is "
                   << shortText(actual) << ", expected " << shortText(expected[i]);
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult sameTrace(const ReplayRun& a, const ReplayRun& b) {
    size_t common = std::min(a.frames.size(), b.frames.size());
    for (size_t n = 0; n < common; ++n) {
        if (a.frames[n] == b.frames[n]) continue;
        for (auto it = a.frames[n].begin(); it != a.frames[n].end(); ++it) {
            const nlohmann::json& other =
                b.frames[n].contains(it.key()) ? b.frames[n][it.key()] : nlohmann::json();
            if (it.value() != other)
                return ::testing::AssertionFailure()
                       << "frame " << n << " is the first that differs, in " << it.key() << ": "
                       << shortText(it.value()) << " against " << shortText(other);
        }
        return ::testing::AssertionFailure()
               << "frame " << n << " is the first that differs: the second run has keys the "
               << "first lacks";
    }
    if (a.frames.size() != b.frames.size())
        return ::testing::AssertionFailure()
               << "frame " << common << " is the first that differs: one run has "
               << a.frames.size() << " lines, the other " << b.frames.size();
    return ::testing::AssertionSuccess();
}

long firstFrameWhere(const ReplayRun& run, const std::function<bool(const nlohmann::json&)>& test,
                     size_t from) {
    for (size_t n = from; n < run.frames.size(); ++n) {
        if (test(run.frames[n])) return static_cast<long>(n);
    }
    return -1;
}

ReplayRun playScenario(const std::string& fileName) {
    ReplayRun run = runScenario(fileName);
    EXPECT_EQ(run.exitCode, 0) << fileName << ": " << run.errors;
    return run;
}

int traceField(const ReplayRun& run, size_t frame, const char* key) {
    return run.frames.at(frame)[key].get<int>();
}
