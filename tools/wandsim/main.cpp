// wandsim: a simulated data wand on a pseudo-terminal.
//
// Prints the device to open, optionally links a port name to it, and answers downloads until
// interrupted. Every clock frame it receives is reported, decoded, on stderr.
#include <getopt.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>

#include "wand_log.h"
#include "wand_simulator.h"

namespace {

constexpr const char* kUsage =
    "usage: wandsim [options]\n"
    "  A data wand on a pseudo-terminal. Prints the device path, then answers downloads\n"
    "  until interrupted.\n"
    "  --link PATH          make PATH a symbolic link to the device (removed on exit),\n"
    "                       e.g. --link \"$KORVANTA_PORTS/COM4\"\n"
    "  --records N          number of readings in the log (default 250)\n"
    "  --seed N             seed of the generated log (default 1)\n"
    "  --wand HEX           wand number, 4 hexadecimal digits (default 120A)\n"
    "  --probe-length N     bytes answered to the probe: 25 or fewer for a wand that keeps\n"
    "                       the month in its low digit, 26 or more for a BCD month (default 30)\n"
    "  --silent             answer nothing at all\n"
    "  --flood              send random bytes without pause, whatever is asked\n"
    "  --short-at N         the N-th record command of a download gets 8 bytes of 9\n"
    "  --stop-after N       answer N record commands, then fall silent\n"
    "  --hangup-after N     answer N record commands, then hang up the line and exit\n"
    "  --paced              send at a real line's speed, byte by byte at 9600 baud\n"
    "  --delay MS           wait MS milliseconds before every answer\n"
    "  --latency MS         hold every answer MS milliseconds after its last byte, as a USB\n"
    "                       adapter's latency timer does (16 by default on FTDI adapters)\n"
    "  --help               show this text\n";

std::optional<unsigned long> ParseNumber(const char* text, int base = 10) {
  char* end = nullptr;
  errno = 0;
  const unsigned long value = std::strtoul(text, &end, base);
  if (errno != 0 || end == text || *end != '\0' || text[0] == '-') {
    return std::nullopt;
  }
  return value;
}

struct Options {
  wandsim::WandBehaviour behaviour;
  std::size_t records = 250;
  std::uint32_t seed = 1;
  std::optional<std::filesystem::path> link;
};

std::optional<Options> ParseOptions(int argc, char** argv) {
  enum Option {
    Link = 256,
    Records,
    Seed,
    Wand,
    ProbeLength,
    Silent,
    ShortAt,
    StopAfter,
    HangupAfter,
    Paced,
    Delay,
    Latency,
    Flood,
    Help
  };
  static const option kOptions[] = {
      {"link", required_argument, nullptr, Link},
      {"records", required_argument, nullptr, Records},
      {"seed", required_argument, nullptr, Seed},
      {"wand", required_argument, nullptr, Wand},
      {"probe-length", required_argument, nullptr, ProbeLength},
      {"silent", no_argument, nullptr, Silent},
      {"flood", no_argument, nullptr, Flood},
      {"short-at", required_argument, nullptr, ShortAt},
      {"stop-after", required_argument, nullptr, StopAfter},
      {"hangup-after", required_argument, nullptr, HangupAfter},
      {"paced", no_argument, nullptr, Paced},
      {"delay", required_argument, nullptr, Delay},
      {"latency", required_argument, nullptr, Latency},
      {"help", no_argument, nullptr, Help},
      {nullptr, 0, nullptr, 0},
  };
  Options options;
  int option = 0;
  while ((option = getopt_long(argc, argv, "", kOptions, nullptr)) != -1) {
    unsigned long number = 0;
    if (optarg != nullptr && option != Link && option != Wand) {
      const auto parsed = ParseNumber(optarg);
      if (!parsed) {
        std::cerr << "wandsim: not a number: " << optarg << '\n';
        return std::nullopt;
      }
      number = *parsed;
    }
    switch (option) {
      case Link:
        options.link = optarg;
        break;
      case Records:
        options.records = number;
        break;
      case Seed:
        options.seed = static_cast<std::uint32_t>(number);
        break;
      case Wand: {
        const auto wand = ParseNumber(optarg, 16);
        if (!wand || *wand > 0xFFFF) {
          std::cerr << "wandsim: the wand number is 4 hexadecimal digits: " << optarg << '\n';
          return std::nullopt;
        }
        options.behaviour.wandNumber = static_cast<std::uint16_t>(*wand);
        break;
      }
      case ProbeLength:
        options.behaviour.probeAnswerLength = number;
        break;
      case Silent:
        options.behaviour.silent = true;
        break;
      case Flood:
        options.behaviour.flood = true;
        break;
      case ShortAt:
        options.behaviour.shortReplyAt = number;
        break;
      case StopAfter:
        options.behaviour.silentAfter = number;
        break;
      case HangupAfter:
        options.behaviour.hangUpAfter = number;
        break;
      case Paced:
        options.behaviour.paced = true;
        break;
      case Delay:
        options.behaviour.replyDelay = std::chrono::milliseconds(number);
        break;
      case Latency:
        options.behaviour.adapterLatency = std::chrono::milliseconds(number);
        break;
      case Help:
        std::cout << kUsage;
        std::exit(0);
      default:
        return std::nullopt;
    }
  }
  if (optind != argc) {
    std::cerr << "wandsim: unexpected argument: " << argv[optind] << '\n';
    return std::nullopt;
  }
  return options;
}

// A link made for this run and removed when the run ends, if it still is ours.
class PortLink {
 public:
  PortLink(std::filesystem::path link, std::filesystem::path device)
      : link_(std::move(link)), device_(std::move(device)) {}
  PortLink(const PortLink&) = delete;
  PortLink& operator=(const PortLink&) = delete;
  ~PortLink() {
    std::error_code ignored;
    if (made_ && std::filesystem::read_symlink(link_, ignored) == device_) {
      std::filesystem::remove(link_, ignored);
    }
  }

  // Replaces a symbolic link left behind by an earlier run; refuses to replace anything else.
  bool Make() {
    std::error_code error;
    if (link_.has_parent_path()) {
      std::filesystem::create_directories(link_.parent_path(), error);
    }
    const auto existing = std::filesystem::symlink_status(link_, error);
    if (std::filesystem::is_symlink(existing)) {
      std::filesystem::remove(link_, error);
    } else if (std::filesystem::exists(existing)) {
      std::cerr << "wandsim: " << link_.string() << " exists and is not a link\n";
      return false;
    }
    std::filesystem::create_symlink(device_, link_, error);
    if (error) {
      std::cerr << "wandsim: cannot link " << link_.string() << ": " << error.message() << '\n';
      return false;
    }
    made_ = true;
    return true;
  }

 private:
  std::filesystem::path link_;
  std::filesystem::path device_;
  bool made_ = false;
};

void ReportClockFrame(const wandlink::ClockFrame& frame) {
  std::fprintf(stderr, "wandsim: clock set to 20%02X-%02X-%02X %02X:%02X\n", frame[4], frame[3],
               frame[2], frame[1], frame[0]);
}

}  // namespace

int main(int argc, char** argv) {
  const auto options = ParseOptions(argc, argv);
  if (!options) {
    std::cerr << kUsage;
    return 64;
  }
  auto line = wandsim::PseudoTerminal::Create();
  if (!line) {
    return 1;
  }
  const auto monthMode = options->behaviour.probeAnswerLength <= 25 ? wandlink::MonthMode::LowNibble
                                                                    : wandlink::MonthMode::Bcd;
  wandsim::WandSimulator wand(std::move(*line), options->behaviour,
                              wandsim::GeneratePatrolLog(options->records, options->seed,
                                                         wandlink::SystemLocalTime(), monthMode),
                              ReportClockFrame);

  const auto stop = wandlink::StopOnTerminationSignals();

  std::optional<PortLink> link;
  if (options->link) {
    link.emplace(*options->link, wand.Device());
    if (!link->Make()) {
      return 1;
    }
  }
  std::cout << wand.Device().string() << std::endl;
  std::cerr << "wandsim: wand " << std::hex << std::uppercase << options->behaviour.wandNumber
            << std::dec << " with " << options->records << " readings on " << wand.Device().string()
            << (options->link ? " (" + options->link->string() + ")" : std::string()) << '\n';
  wand.Serve(*stop);
  return 0;
}
