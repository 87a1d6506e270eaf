// The window's port list against serial hardware emulated by umockdev (the test runs through
// umockdev-wrapper): ports that come and go while the window is open.
// Before Qt, whose "signals" keyword would break GLib's headers.
#include "support/fake_serial_devices.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "reader_dialog.h"
#include "support/scratch_ports.h"
#include "support/simulated_wand.h"
#include "wand_log.h"

namespace ui {
namespace {

constexpr int kWaitMs = 10'000;

TEST(PortListWindow, AnAdapterPluggedInWhileTheWindowIsOpenIsListedDownloadsAndGoesAgain) {
  testing_support::ScratchPorts folder;
  testing_support::FakeSerialDevices devices;
  ReaderDialog dialog;
  std::vector<QString> messages;
  dialog.SetMessagePresenter([&](QWidget*, const QString& text) { messages.push_back(text); });
  dialog.show();
  auto* ports = dialog.findChild<QComboBox*>("IDC_PORT");
  ASSERT_EQ(ports->count(), 8);
  ports->setCurrentIndex(6);

  const auto adapter =
      devices.AddUsbDevice("1-1", "0403", "6001", "A1B2C3", "FT232R USB UART", "ftdi_sio");
  const auto tty = devices.AddTerminal("ttyUSB0", devices.Add("usb-serial", "ttyUSB0", adapter, {}),
                                       {}, {"ID_MODEL_FROM_DATABASE", "FT232 Serial (UART) IC"});
  devices.Announce(tty, "add");
  ASSERT_TRUE(QTest::qWaitFor([&] { return ports->count() == 9; }, kWaitMs));
  EXPECT_EQ(ports->itemText(8), "/dev/ttyUSB0  FT232 Serial (UART) IC");
  EXPECT_EQ(ports->currentText(), "COM7");

  // A device nobody announced is found when the list opens.
  devices.AddTerminal("ttyACM0",
                      devices.AddUsbDevice("1-2", "2341", "0043", "", "Arduino Uno", "cdc_acm"));
  ports->showPopup();
  EXPECT_EQ(ports->count(), 10);
  EXPECT_EQ(ports->itemText(8), "/dev/ttyACM0  Arduino Uno");
  // Open, the list shows its longest entry whole, in the dialog's face.
  const QAbstractItemView* list = ports->view();
  EXPECT_EQ(list->font(), dialog.font());
  EXPECT_GE(list->viewport()->width(), list->fontMetrics().horizontalAdvance(ports->itemText(9)));
  ports->hidePopup();

  const auto log =
      wandsim::GeneratePatrolLog(5, 4, wandlink::SystemLocalTime(), wandlink::MonthMode::Bcd);
  testing_support::SimulatedWand wand(devices.FarEnd("/dev/ttyUSB0"), log);
  ports->setCurrentIndex(9);
  QSignalSpy finished(&dialog, &ReaderDialog::WorkerFinished);
  QTest::mouseClick(dialog.findChild<QPushButton*>("IDC_COLLECT"), Qt::LeftButton);
  ASSERT_TRUE(finished.wait(kWaitMs));
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(dialog.findChild<QTableView*>("IDC_RECORDS")->model()->rowCount(),
            static_cast<int>(log.size()));

  // Pulled out: gone from the list, and the choice falls back to the one adapter left.
  devices.Announce(tty, "remove");
  devices.Remove(tty);
  ASSERT_TRUE(QTest::qWaitFor([&] { return ports->count() == 9; }, kWaitMs));
  EXPECT_EQ(ports->currentText(), "/dev/ttyACM0  Arduino Uno");
}

}  // namespace
}  // namespace ui
