#include "port_open.h"

#include "port_names.h"
#include "traced_port.h"

namespace wandlink {

std::optional<OpenedPort> OpenPortForDownload(
    const PortChoice& choice, DownloadContext& context,
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
    return std::nullopt;
  }
  return OpenedPort(std::move(link), std::move(trace));
}

void OpenedPort::Configure(DownloadContext& context) && {
  link_->Configure();
  if (!trace_) {
    context.port = std::move(link_);
    return;
  }
  trace_->Note("settings: " + link_->Settings());
  context.port = std::make_unique<TracedPort>(std::move(link_), trace_);
  context.trace = std::move(trace_);
}

bool OpenForDownload(const PortChoice& choice, DownloadContext& context,
                     const std::optional<std::filesystem::path>& traceFile) {
  auto opened = OpenPortForDownload(choice, context, traceFile);
  if (!opened) {
    return false;
  }
  std::move(*opened).Configure(context);
  return true;
}

}  // namespace wandlink
