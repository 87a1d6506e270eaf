#include "pseudo_terminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>

#include <array>
#include <cerrno>
#include <cstdio>

namespace wandsim {

std::optional<PseudoTerminal> PseudoTerminal::Create() {
  return FromMaster(wandlink::UniqueFd(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK)));
}

std::optional<PseudoTerminal> PseudoTerminal::FromMaster(wandlink::UniqueFd master) {
  if (!master.Valid() || ::grantpt(master.Get()) != 0 || ::unlockpt(master.Get()) != 0) {
    std::perror("wandsim: pseudo-terminal");
    return std::nullopt;
  }
  std::array<char, 128> name{};
  if (::ptsname_r(master.Get(), name.data(), name.size()) != 0) {
    std::perror("wandsim: ptsname");
    return std::nullopt;
  }
  wandlink::UniqueFd slave(::open(name.data(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
  termios settings{};
  if (!slave.Valid() || ::tcgetattr(slave.Get(), &settings) != 0) {
    std::perror("wandsim: pseudo-terminal slave");
    return std::nullopt;
  }
  ::cfmakeraw(&settings);
  ::tcsetattr(slave.Get(), TCSANOW, &settings);
  return PseudoTerminal(std::move(master), std::move(slave), name.data());
}

}  // namespace wandsim
