#include "process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <map>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

const auto POLL = std::chrono::milliseconds(2);

std::vector<std::string> environmentWith(const EnvironmentChanges& changes)
{
  std::map<std::string, std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    std::string text = *entry;
    size_t equals = text.find('=');
    if (equals != std::string::npos) {
      variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
  }
  for (const auto& change : changes) {
    if (change.second) {
      variables[change.first] = *change.second;
    } else {
      variables.erase(change.first);
    }
  }
  std::vector<std::string> result;
  for (const auto& variable : variables) {
    result.push_back(variable.first + "=" + variable.second);
  }
  return result;
}

std::vector<char*> pointers(std::vector<std::string>& strings)
{
  std::vector<char*> result;
  for (std::string& text : strings) {
    result.push_back(text.data());
  }
  result.push_back(nullptr);
  return result;
}

int memoryFile(const char* name)
{
  int fd = memfd_create(name, MFD_CLOEXEC);
  if (fd < 0) {
    throw std::runtime_error(std::string("memfd_create: ") + strerror(errno));
  }
  return fd;
}

std::string contents(int fd)
{
  std::string text;
  char buffer[65536];
  off_t offset = 0;
  ssize_t got;
  while ((got = pread(fd, buffer, sizeof buffer, offset)) > 0) {
    text.append(buffer, got);
    offset += got;
  }
  return text;
}

ExitInfo exitInfo(int status)
{
  return ExitInfo{WIFEXITED(status) ? WEXITSTATUS(status) : -1, WIFSIGNALED(status) ? WTERMSIG(status) : 0};
}

}

ChildProcess::ChildProcess(const std::vector<std::string>& command, const EnvironmentChanges& environment,
                           const std::string& workDir, int passFd)
{
  // Everything the child needs is prepared before the fork: it only calls async-signal-safe functions.
  std::vector<std::string> arguments = command;
  std::vector<std::string> variables = environmentWith(environment);
  std::vector<char*> argv = pointers(arguments);
  std::vector<char*> envp = pointers(variables);
  outputFd = memoryFile("output");
  errorsFd = memoryFile("errors");
  pid_t parent = getpid();

  id = fork();
  if (id < 0) {
    throw std::runtime_error(std::string("fork: ") + strerror(errno));
  }
  if (id == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) {
      _exit(127);
    }
    dup2(outputFd, STDOUT_FILENO);
    dup2(errorsFd, STDERR_FILENO);
    if (passFd >= 0) {
      fcntl(passFd, F_SETFD, 0);
    }
    if (!workDir.empty() && chdir(workDir.c_str()) != 0) {
      _exit(127);
    }
    execvpe(argv[0], argv.data(), envp.data());
    _exit(127);
  }
}

ChildProcess::~ChildProcess()
{
  if (id > 0 && !ended) {
    kill(id, SIGKILL);
    int status;
    waitpid(id, &status, 0);
  }
  close(outputFd);
  close(errorsFd);
}

std::optional<ExitInfo> ChildProcess::waitExit(std::chrono::milliseconds limit)
{
  auto deadline = std::chrono::steady_clock::now() + limit;
  while (!ended) {
    int status;
    if (waitpid(id, &status, WNOHANG) == id) {
      ended = exitInfo(status);
      break;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      break;
    }
    std::this_thread::sleep_for(POLL);
  }
  return ended;
}

bool ChildProcess::running()
{
  return !waitExit(std::chrono::milliseconds(0));
}

void ChildProcess::signal(int number)
{
  if (running()) {
    kill(id, number);
  }
}

void ChildProcess::stop(int number, std::chrono::milliseconds limit)
{
  signal(number);
  if (!waitExit(limit)) {
    kill(id, SIGKILL);
    waitExit(std::chrono::seconds(10));
  }
}

std::optional<long> ChildProcess::waitingIn() const
{
  std::ifstream state("/proc/" + std::to_string(id) + "/syscall");
  long number;
  if (state >> number) {
    return number;
  }
  return std::nullopt;
}

std::string ChildProcess::output() const
{
  return contents(outputFd);
}

std::string ChildProcess::errors() const
{
  return contents(errorsFd);
}

CommandResult runCommand(const std::vector<std::string>& command, const EnvironmentChanges& environment,
                         std::chrono::milliseconds limit)
{
  ChildProcess child(command, environment);
  std::optional<ExitInfo> ended = child.waitExit(limit);
  if (!ended) {
    throw std::runtime_error(command[0] + " did not finish within " + std::to_string(limit.count()) + " ms");
  }
  return CommandResult{*ended, child.output(), child.errors()};
}
