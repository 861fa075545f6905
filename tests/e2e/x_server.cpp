#include "x_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <stdexcept>

namespace {

const auto START_LIMIT = std::chrono::seconds(20);
const auto STOP_LIMIT = std::chrono::seconds(5);
const auto COMMAND_LIMIT = std::chrono::seconds(10);

// Reads the display number Xvfb writes once it accepts connections.
std::string readDisplayNumber(int fd)
{
  std::string text;
  auto deadline = std::chrono::steady_clock::now() + START_LIMIT;
  while (text.find('\n') == std::string::npos) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      return "";
    }
    pollfd waiting{fd, POLLIN, 0};
    if (poll(&waiting, 1, static_cast<int>(left.count())) <= 0) {
      continue;
    }
    char buffer[64];
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got <= 0) {
      return "";
    }
    text.append(buffer, got);
  }
  return text.substr(0, text.find('\n'));
}

}

XServer::XServer()
{
  int ready[2];
  if (pipe2(ready, O_CLOEXEC) != 0) {
    throw std::runtime_error(std::string("pipe: ") + strerror(errno));
  }
  server = std::make_unique<ChildProcess>(
    std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0", "640x480x24",
                             "-nolisten", "tcp", "-noreset", "-wr"},
    EnvironmentChanges{}, "", ready[1]);
  close(ready[1]);
  std::string number = readDisplayNumber(ready[0]);
  close(ready[0]);
  if (number.empty()) {
    server->stop(SIGTERM, STOP_LIMIT);
    throw std::runtime_error("Xvfb did not start:\n" + server->errors());
  }
  name = ":" + number;
}

XServer::~XServer()
{
  server->stop(SIGTERM, STOP_LIMIT);
}

EnvironmentChanges XServer::clientEnvironment() const
{
  return {{"DISPLAY", name}};
}

Image XServer::capture() const
{
  CommandResult shot = runCommand({"xwd", "-root", "-silent"}, clientEnvironment(), COMMAND_LIMIT);
  if (shot.exit.status != 0) {
    throw std::runtime_error("xwd failed: " + shot.errors);
  }
  return parseXwd(shot.output);
}

void XServer::key(const std::string& keyName) const
{
  xdotool("key", {keyName});
}

void XServer::keyDown(const std::vector<std::string>& names) const
{
  xdotool("keydown", names);
}

void XServer::keyUp(const std::vector<std::string>& names) const
{
  xdotool("keyup", names);
}

void XServer::xdotool(const std::string& action, const std::vector<std::string>& names) const
{
  std::vector<std::string> command = {"xdotool", action};
  command.insert(command.end(), names.begin(), names.end());
  CommandResult result = runCommand(command, clientEnvironment(), COMMAND_LIMIT);
  if (result.exit.status != 0) {
    throw std::runtime_error("xdotool " + action + " failed: " + result.errors);
  }
}
