// checker.cpp -- the noted states compared, what was found said, and a script read from its file
#include "recordings/checker.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "state/game_state.h"
#include "system/io.h"

void StateChecker::afterFrame(int64_t frame) {
    for (; checks_ && next_ < checks_->size() && (*checks_)[next_].frame <= frame; ++next_) {
        const StateCheck& check = (*checks_)[next_];
        if (check.frame != frame || differs_.frame >= 0) continue;
        const uint64_t reached = gameStateDigest();
        if (check.digest != reached) {
            differs_ = check;
            reached_ = reached;
        }
    }
}

int64_t StateChecker::firstDifference() const { return differs_.frame; }

bool StateChecker::reportDifference(const char* program, int64_t frames) const {
    if (differs_.frame >= 0) {
        std::fprintf(stderr,
                     "%s: this recording played out differently: frame %" PRId64 " of %" PRId64
                     " (the game's state is %016" PRIx64 ", the recording's %016" PRIx64 ")\n",
                     program, differs_.frame, frames, reached_, differs_.digest);
        return true;
    }
    if (checks_ && next_ < checks_->size()) {
        std::fprintf(stderr,
                     "%s: this recording notes the game's state at frame %" PRId64
                     ", but its keys end at frame %" PRId64 "\n",
                     program, (*checks_)[next_].frame, frames);
        return true;
    }
    return false;
}

int verdictOf(const StateChecker& checker, const KeyScript& script, const char* program,
              const std::string& path, int64_t frames) {
    if (checker.reportDifference(program, frames)) return 1;
    if (script.checks.empty() && !script.recording)
        std::fprintf(stderr, "%s: note: %s notes no game state to check against\n", program,
                     path.c_str());
    else if (!script.ended)
        std::fprintf(stderr,
                     "%s: note: %s has no closing state (cut short?): %zu noted states of its "
                     "%" PRId64 " frames checked\n",
                     program, path.c_str(), script.checks.size(), frames);
    return 0;
}

bool readKeyScript(const std::string& path, const char* program, KeyScript& script,
                   std::string& why) {
    std::string text;
    const ReadOutcome read = path == "-" ? (readWholeStream(0, largestScript, text, why)
                                                ? ReadOutcome::read
                                                : ReadOutcome::refused)
                                         : readWholeFile(path, largestScript, text, why);
    if (read == ReadOutcome::missing) why = std::strerror(ENOENT);
    if (read != ReadOutcome::read || !why.empty()) return false;
    if (path != "-" || !text.empty()) return readKeyScriptText(text, path, program, script, why);
    script = parseKeyScript(text);  // an empty standard input: no frames
    return true;
}

bool readKeyScriptText(const std::string& text, const std::string& name, const char* program,
                       KeyScript& script, std::string& why) {
    if (text.empty()) {
        why = "it is empty";
        return false;
    }
    script = parseKeyScript(text);
    if (!script.ok()) {
        why = "line " + std::to_string(script.errorLine) + ": " + script.error;
        return false;
    }
    if (script.cutShort)
        std::fprintf(stderr, "%s: note: %s ends mid-line (cut short?); played to its last whole line\n",
                     program, name.c_str());
    return true;
}
