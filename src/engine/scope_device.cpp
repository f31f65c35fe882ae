// The program's one device object.
#include "engine/scope_device.h"

#include <memory>

namespace engine {

namespace {

ScopeDevice& DeviceInstance() {
  static ScopeDevice device;
  return device;
}

}  // namespace

ScopeDevice& TheDevice() { return DeviceInstance(); }

void ResetDevice() {
  ScopeDevice& device = DeviceInstance();
  std::destroy_at(&device);
  std::construct_at(&device);
}

}  // namespace engine
