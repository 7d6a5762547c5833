// The single-instance markers of the suite's running programs, seen from outside: whether a
// program holds its marker, and a request to close it. The service's marker is a locked file in
// its data directory; the client's is a local socket in the user's runtime directory.
#pragma once

#include <memory>
#include <string>

namespace gw {

class InstanceMarker {
 public:
  InstanceMarker() = default;
  InstanceMarker(const InstanceMarker&) = delete;
  InstanceMarker& operator=(const InstanceMarker&) = delete;
  virtual ~InstanceMarker() = default;

  // True while a running program holds the marker. Does not block.
  virtual bool held() = 0;
  // Asks every program holding the marker to close in order (as a stop control would), without
  // waiting for it. Nothing happens when none holds it.
  virtual void requestClose() = 0;
};

// The marker that the service host takes with acquireSingleInstance(name) in `dir`.
std::unique_ptr<InstanceMarker> createServiceMarker(const std::string& dir, const std::string& name);
// The local socket named `name` in `runtime_dir` that a single-instance client listens on.
std::unique_ptr<InstanceMarker> createClientMarker(const std::string& runtime_dir,
                                                   const std::string& name);

}  // namespace gw
