#include "TestSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>

extern char** environ;

std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

Outcome RunProgram(const TempDir& dir, const std::vector<std::string>& arguments)
{
    std::string command = Quoted(std::string(QWO_BIN_DIR) + "/quorvan-optimize");
    for (const auto& argument : arguments) command += " " + Quoted(argument);
    command += " >" + Quoted(dir / "stdout") + " 2>" + Quoted(dir / "stderr") + " </dev/null";
    const int raw = std::system(command.c_str());
    Outcome outcome;
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.out = ReadFile(dir / "stdout");
    outcome.err = ReadFile(dir / "stderr");
    return outcome;
}

pid_t StartProgram(const TempDir& dir, const std::vector<std::string>& arguments)
{
    const std::string program = std::string(QWO_BIN_DIR) + "/quorvan-optimize";
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, (dir / "stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, (dir / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

TRunRequest RecordingHost::Request() const
{
    TRunRequest request;
    for (std::size_t index = 0; index < files.size(); ++index)
        request.entries.push_back({files[index], index < relatives.size() ? relatives[index] : std::string()});
    request.outputDirText = outputDir;
    request.environment = environment;
    return request;
}

void RecordingHost::SetProgress(int done, int total)
{
    TBatchHost::SetProgress(done, total);
    progressPositions.push_back(done);
    progressTotals.push_back(total);
    if (done == 0) return;
    if (afterFile) afterFile(filesDone);
    ++filesDone;
}

std::vector<TFileFailure> StartCompression(RecordingHost& host, const TRunOptions& options)
{
    return StartCompression(host.Request(), host, options);
}

std::vector<std::string> RecordingHost::Row(int row) const
{
    std::vector<std::string> cells;
    for (int column = 0; column < grid.ColumnCount(); ++column) cells.push_back(grid.Cell(column, row));
    return cells;
}

std::string SampleFile(const std::string& path)
{
    return ReadFile(std::string(QWO_SOURCE_DIR) + "/examples/site/" + path);
}

void WriteGeneratedSite(const std::string& folder)
{
    for (int i = 0; i < 300; ++i) {
        const std::string n = std::to_string(i);
        const std::string part = folder + "/part" + std::to_string(i % 7) + "/";
        switch (i % 6) {
        case 0: WriteFile(part + "s" + n + ".css", "a" + n + "  {  color : red ;  margin : " + n + "px }\n"); break;
        case 1: WriteFile(part + "p" + n + ".html", "<html>\n  <p>page   " + n + "</p>\n</html>\n"); break;
        case 2: WriteFile(part + "t" + n + ".txt", std::string(static_cast<std::size_t>(i), 'x')); break;
        case 3:
            WriteFile(part + "b" + n + ".gif", SampleFile(i % 4 == 1 ? "images/spinner.gif" : "images/bullet.gif"));
            break;
        case 4: WriteFile(part + "d" + n + ".CSS", "upper  case  is  copied " + n); break;
        default:
            if (i < 30) {  // a few plug-in files
                const char* samples[] = {"images/logo.png", "images/photo.jpg", "js/app.js"};
                const char* names[] = {".png", ".jpg", ".js"};
                WriteFile(part + "r" + n + names[i % 3], SampleFile(samples[i % 3]));
            } else {
                WriteFile(part + "e" + n + ".ico", std::string(1, char(i)));
            }
        }
    }
}
