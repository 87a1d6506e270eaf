#include "port_open.h"

#include "port_names.h"
#include "serial_link.h"
#include "traced_port.h"

namespace wandlink {

bool OpenForDownload(const PortChoice& choice, DownloadContext& context,
                     const std::optional<std::filesystem::path>& traceFile) {
  auto trace = traceFile ? DownloadTrace::Append(*traceFile) : nullptr;
  if (trace) {
    std::string port = "port " + choice.name + ", device " + choice.OpenTarget();
    std::error_code unresolved;
    const auto resolved =
        std::filesystem::canonical(ResolvePortDevice(choice.OpenTarget()), unresolved);
    if (!unresolved && resolved != choice.OpenTarget()) {
      port += " (" + resolved.string() + ")";
    }
    if (!choice.description.empty()) {
      port += ", " + choice.description;
    }
    trace->Note(port);
  }
  auto link = SerialLink::Open(choice.OpenTarget(), context.stop);
  if (!link) {
    if (trace) {
      trace->Note("ending: the port could not be opened");
    }
    return false;
  }
  link->Configure();
  if (!trace) {
    context.port = std::move(link);
    return true;
  }
  trace->Note("settings: " + link->Settings());
  context.port = std::make_unique<TracedPort>(std::move(link), trace);
  context.trace = std::move(trace);
  return true;
}

}  // namespace wandlink
