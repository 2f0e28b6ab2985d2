#pragma once
// Tools run as children that die with this program (parent-death signal),
// each within a CPU budget, and the private work folder they write in.
// SIGHUP, SIGINT and SIGTERM are taken only while this program waits or
// between steps: the running tool is killed, the work folder removed, and
// the program ends with 128 + the signal's number.

#include <string>
#include <vector>

// Blocks the ending signals and asks for SIGTERM when the parent dies.
void GuardProcess();

// Ends the program as above when an ending signal is pending.
void EndIfSignalled();

// A private folder under $TMPDIR (or /tmp), qwo-pngout.<pid>.XXXXXX, removed
// by the destructor and when a signal ends the program; folders of this
// program's runs that were killed outright are removed on creation.
class TWorkFolder {
public:
    TWorkFolder();
    ~TWorkFolder();
    TWorkFolder(const TWorkFolder&) = delete;
    TWorkFolder& operator=(const TWorkFolder&) = delete;
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

struct TToolOutcome {
    int status = 0;            // exit status, or 128 + the signal that ended it
    bool overBudget = false;   // killed for using up its CPU budget
    double cpuSeconds = 0;     // user + system time it used
    std::string messages;      // its standard output and error
};

// Runs argv[0] (found on PATH when it holds no '/') with both output streams
// into `messagesFile`; kills it once it has used `cpuBudget` seconds of CPU.
TToolOutcome RunTool(const std::vector<std::string>& argv, const std::string& messagesFile, double cpuBudget);
