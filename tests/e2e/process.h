#ifndef E2E_PROCESS_H
#define E2E_PROCESS_H

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Changes a child makes to the test's environment: a new value, or nullopt to remove the variable.
using EnvironmentChanges = std::vector<std::pair<std::string, std::optional<std::string>>>;

// How a child process ended.
struct ExitInfo
{
  int status;  // its exit status, or -1 when a signal ended it
  int signal;  // the signal that ended it, or 0
};

// A child process that never outlives the test: the destructor kills it, and
// the kernel kills it should the test process die first. Its standard output
// and standard error are kept in memory.
class ChildProcess
{
public:
  // passFd, when not -1, stays open in the child under the same number.
  ChildProcess(const std::vector<std::string>& command, const EnvironmentChanges& environment,
               const std::string& workDir = "", int passFd = -1);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return id; }
  // The way it ended, once it has; nullopt while it runs on after the limit.
  std::optional<ExitInfo> waitExit(std::chrono::milliseconds limit);
  bool running();
  void signal(int number);
  // Sends the signal, and kills the process when it has not ended within the limit.
  void stop(int number, std::chrono::milliseconds limit);

  // The number of the system call the process waits in, while it waits in one.
  std::optional<long> waitingIn() const;

  std::string output() const;
  std::string errors() const;

private:
  pid_t id = -1;
  int outputFd = -1;
  int errorsFd = -1;
  std::optional<ExitInfo> ended;
};

struct CommandResult
{
  ExitInfo exit;
  std::string output;
  std::string errors;
};

// Runs a short command to its end; throws std::runtime_error when it runs past the limit.
CommandResult runCommand(const std::vector<std::string>& command, const EnvironmentChanges& environment,
                         std::chrono::milliseconds limit);

#endif
