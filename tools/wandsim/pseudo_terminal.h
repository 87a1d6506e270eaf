// A pseudo-terminal pair that stands in for a serial line to a wand.
//
// The wand's side is the master; programs open the slave's path as they would a serial port.
// The pair keeps its own descriptor of the slave open for its whole life, so the line does not
// hang up when a program closes the port between downloads. The slave starts raw, so that
// nothing written to the line is echoed back before a program configures it.
#pragma once

#include <filesystem>
#include <optional>

#include "wandlink/unique_fd.h"

namespace wandsim {

class PseudoTerminal {
 public:
  // A new pair, or nothing (with the reason on stderr) when the system has none to give.
  static std::optional<PseudoTerminal> Create();

  // The pair around a master that another program made (a device emulator's terminal node),
  // which must be non-blocking.
  static std::optional<PseudoTerminal> FromMaster(wandlink::UniqueFd master);

  int Master() const { return master_.Get(); }
  int Slave() const { return slave_.Get(); }
  const std::filesystem::path& SlavePath() const { return slavePath_; }

  // Closes the wand's side: whoever has the slave open sees the line hang up.
  void HangUp() { master_.Reset(); }

 private:
  PseudoTerminal(wandlink::UniqueFd master, wandlink::UniqueFd slave, std::filesystem::path path)
      : master_(std::move(master)), slave_(std::move(slave)), slavePath_(std::move(path)) {}

  wandlink::UniqueFd master_;
  wandlink::UniqueFd slave_;
  std::filesystem::path slavePath_;
};

}  // namespace wandsim
