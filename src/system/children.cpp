// children.cpp -- the programs the runner starts (ffmpeg): found, started with their files,
// ended and waited for
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "system/io.h"
#include "system/signals.h"

#ifdef _WIN32
#include <io.h>
#else
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#ifndef _WIN32
std::string findProgram(const char* name) {
    const char* path = std::getenv("PATH");
    const std::string folders = path ? path : "/usr/bin:/bin";
    for (size_t at = 0; at <= folders.size();) {
        size_t end = folders.find(':', at);
        if (end == std::string::npos) end = folders.size();
        const std::string candidate = (end > at ? folders.substr(at, end - at) : ".") + "/" + name;
        struct stat info;
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return candidate;
        at = end + 1;
    }
    return "";
}

bool startChild(const std::string& program, const std::vector<std::string>& args, int log,
                const std::vector<int>& files, Child& child, std::string& why) {
    int link[2];
    if (pipe2(link, O_CLOEXEC) != 0) {
        why = std::strerror(errno);
        return false;
    }
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        // The child is not ours to stop with a terminal's Ctrl-C: its parent ends it.
        setpgid(0, 0);
        std::vector<int> high;
        for (int fd : files) high.push_back(fcntl(fd, F_DUPFD, 100));
        dup2(link[0], 0);
        dup2(log, 1);
        dup2(log, 2);
        for (size_t i = 0; i < high.size(); ++i) dup2(high[i], static_cast<int>(3 + i));
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    ::close(link[0]);
    if (pid < 0) {
        why = std::strerror(errno);
        ::close(link[1]);
        return false;
    }
    noteChild(pid);
    child.pid = pid;
    child.input = link[1];
    return true;
}

int finishChild(Child& child, bool end) {
    closeFd(child.input);
    if (child.pid <= 0) return -1;
    const pid_t pid = static_cast<pid_t>(child.pid);
    int status = 0;
    for (int waited = 0;;) {
        // Asked to end it, or a quit asked meanwhile: it is stopped, a second at most.
        if (!end && quitAsked()) end = true;
        if (end && waited == 0) ::kill(pid, SIGTERM);
        const pid_t done = waitpid(pid, &status, end ? WNOHANG : 0);
        if (done == pid || (done < 0 && errno == ECHILD)) break;
        if (done == 0 && ++waited == 100) ::kill(pid, SIGKILL);
        if (done == 0) usleep(10000);
    }
    forgetChild(child.pid);
    child.pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#else
std::string findProgram(const char*) { return ""; }
bool startChild(const std::string&, const std::vector<std::string>&, int,
                const std::vector<int>&, Child&, std::string& why) {
    why = "no child processes on this machine";
    return false;
}
int finishChild(Child& child, bool) {
    closeFd(child.input);
    return -1;
}
#endif
