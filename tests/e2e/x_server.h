#ifndef E2E_X_SERVER_H
#define E2E_X_SERVER_H

#include "image.h"
#include "process.h"

#include <memory>
#include <string>
#include <vector>

const int SCREEN_WIDTH = 640;
const int SCREEN_HEIGHT = 480;

// An Xvfb of its own on a display number it picked itself, 640 x 480 x 24,
// with a white root window; stopped in the destructor.
class XServer
{
public:
  XServer();
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  const std::string& display() const { return name; }
  // DISPLAY for a client of this server.
  EnvironmentChanges clientEnvironment() const;

  Image capture() const;
  // Key names as xdotool knows them: "Escape", "Return", "space", "Right".
  void key(const std::string& name) const;
  void keyDown(const std::vector<std::string>& names) const;
  void keyUp(const std::vector<std::string>& names) const;

private:
  void xdotool(const std::string& action, const std::vector<std::string>& names) const;

  std::unique_ptr<ChildProcess> server;
  std::string name;
};

#endif
