// Serial hardware in a umockdev testbed: the devices as sysfs and udev show them, each terminal
// with a device node that is a pseudo-terminal, whose far end a simulated wand can serve. Only
// works in a program started through umockdev-wrapper.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <umockdev.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "pseudo_terminal.h"

namespace testing_support {

class FakeSerialDevices {
 public:
  using Pairs = std::vector<const char*>;

  FakeSerialDevices() : testbed_(umockdev_testbed_new()) {}
  ~FakeSerialDevices() { g_object_unref(testbed_); }
  FakeSerialDevices(const FakeSerialDevices&) = delete;
  FakeSerialDevices& operator=(const FakeSerialDevices&) = delete;

  // Adds a device (attributes and properties as name, value, name, value...) and returns its
  // sysfs path.
  std::string Add(const char* subsystem, const char* name, const std::string& parent,
                  Pairs attributes, Pairs properties = {}) {
    attributes.push_back(nullptr);
    properties.push_back(nullptr);
    gchar* path = umockdev_testbed_add_devicev(
        testbed_, subsystem, name, parent.empty() ? nullptr : parent.c_str(),
        const_cast<gchar**>(attributes.data()), const_cast<gchar**>(properties.data()));
    std::string syspath = path == nullptr ? std::string() : path;
    g_free(path);
    return syspath;
  }

  // A USB device with one interface bound to the driver; returns the interface.
  std::string AddUsbDevice(const char* name, const char* vendor, const char* product,
                           const char* serial, const char* productName, const char* driver) {
    const std::string device =
        Add("usb", name, "",
            {"idVendor", vendor, "idProduct", product, "serial", serial, "product", productName},
            {"DEVTYPE", "usb_device"});
    return Add("usb", (std::string(name) + ":1.0").c_str(), device, {},
               {"DEVTYPE", "usb_interface", "DRIVER", driver});
  }

  // A terminal device with its node /dev/NAME, a pseudo-terminal; returns its sysfs path.
  // (Only a device described as a record gets such a node.)
  std::string AddTerminal(const char* name, const std::string& parent, Pairs attributes = {},
                          Pairs properties = {}) {
    const std::string syspath = parent + "/" + name;
    std::string record = "P: " + syspath.substr(std::string_view("/sys").size()) + "\nN: " + name +
                         "\nE: SUBSYSTEM=tty\nE: DEVNAME=/dev/" + name +
                         "\nA: dev=188:" + std::to_string(terminals_++) + "\n";
    for (std::size_t i = 0; i + 1 < attributes.size(); i += 2) {
      record += "A: " + std::string(attributes[i]) + "=" + attributes[i + 1] + "\n";
    }
    for (std::size_t i = 0; i + 1 < properties.size(); i += 2) {
      record += "E: " + std::string(properties[i]) + "=" + properties[i + 1] + "\n";
    }
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(testbed_, record.c_str(), &error)) {
      ADD_FAILURE() << error->message;
      g_error_free(error);
    }
    return syspath;
  }

  void Remove(const std::string& syspath) {
    umockdev_testbed_remove_device(testbed_, syspath.c_str());
  }

  // Tells udev's listeners the device was added or removed.
  void Announce(const std::string& syspath, const char* action) {
    umockdev_testbed_uevent(testbed_, syspath.c_str(), action);
  }

  // The far end of a terminal node, for a simulated wand.
  wandsim::PseudoTerminal FarEnd(const char* node) {
    wandlink::UniqueFd master(
        ::fcntl(umockdev_testbed_get_dev_fd(testbed_, node), F_DUPFD_CLOEXEC, 0));
    ::fcntl(master.Get(), F_SETFL, ::fcntl(master.Get(), F_GETFL) | O_NONBLOCK);
    auto line = wandsim::PseudoTerminal::FromMaster(std::move(master));
    if (!line) {
      std::abort();
    }
    return std::move(*line);
  }

 private:
  UMockdevTestbed* testbed_;
  int terminals_ = 0;
};

}  // namespace testing_support
