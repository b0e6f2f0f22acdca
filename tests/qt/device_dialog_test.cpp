// The "Assign Devices..." item and its dialog on the real window, offscreen,
// offering a list of devices the test makes up.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <optional>
#include <string>

#include "dialog_answerer.h"
#include "platform/qt/qt_window.h"
#include "ui/texts.h"

namespace {

const std::vector<SerialDevice> kPresent = {
    {"/dev/serial/by-id/usb-FTDI_FT232R_A50285BI-if00-port0", "FT232R USB UART", "FTDI", "A50285BI",
     "0403:6001"},
    {"/dev/ttyACM0", "", "", "", ""},
};

QComboBox& PortList(QDialog& dialog, int port) {
  auto* list = dialog.findChild<QComboBox*>(QStringLiteral("com%1").arg(port));
  if (list == nullptr) {
    throw std::runtime_error("the dialog has no list for Com" + std::to_string(port));
  }
  return *list;
}

void Press(QDialog& dialog, QDialogButtonBox::StandardButton which) {
  dialog.findChild<QDialogButtonBox*>()->button(which)->click();
}

class DeviceDialogTest : public ::testing::Test {
 protected:
  DeviceDialogTest() {
    window_.SetDeviceLister([] { return kPresent; });
  }

  // Opens the dialog on `current` and lets `act` answer it.
  std::optional<PortDevices> Choose(const PortDevices& current, const DialogAnswerer::Act& act) {
    DialogAnswerer answerer("AssignDevices", act);
    std::optional<PortDevices> chosen = window_.ChooseDevices(current);
    EXPECT_TRUE(answerer.Answered());
    return chosen;
  }

  QtWindow window_{std::string()};
};

TEST_F(DeviceDialogTest, TheItemIsTheLastOfThePortMenuAfterASeparator) {
  QMenu* port_menu = window_.menuBar()->actions().at(0)->menu();
  ASSERT_NE(port_menu, nullptr);
  EXPECT_EQ(port_menu->title(), ui::kPortMenu);
  const QList<QAction*> items = port_menu->actions();
  ASSERT_GE(items.size(), 2);
  EXPECT_EQ(items.last()->objectName(), QStringLiteral("AssignDevices"));
  EXPECT_EQ(items.last()->text(), ui::kAssignDevicesItem);
  EXPECT_TRUE(items.at(items.size() - 2)->isSeparator());
  EXPECT_EQ(items.at(items.size() - 3)->objectName(), QStringLiteral("Setcomm10"));
}

TEST_F(DeviceDialogTest, EachPortItemHintsItsDeviceAndWhetherTheSystemListsIt) {
  window_.SetDeviceLister([] {
    return std::vector<SerialDevice>{{"/dev/ttyS1", "16550A UART", "", "", ""}};
  });
  const auto* com2 = window_.findChild<QAction*>(QStringLiteral("Setcomm2"));
  const auto* com3 = window_.findChild<QAction*>(QStringLiteral("Setcomm3"));
  EXPECT_EQ(com2->toolTip(), QStringLiteral("Com2 is /dev/ttyS1, 16550A UART (present)"));
  EXPECT_EQ(com2->statusTip(), com2->toolTip());
  EXPECT_EQ(com3->toolTip(), QStringLiteral("Com3 is /dev/ttyS2 (not present)"));
  // The captions stay the menu's own.
  EXPECT_EQ(com2->text(), QStringLiteral("Com2"));
}

TEST_F(DeviceDialogTest, EachPortOffersItsDefaultAndTheDevicesPresentFromItsAssignment) {
  PortDevices current;
  current.at(1) = "/dev/ttyACM0";
  current.at(4) = "/dev/ttyUSB9";  // unplugged now
  Choose(current, [](QDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), ui::kAssignDevicesTitle);
    const auto* rows = dialog.findChild<QFormLayout*>();
    ASSERT_NE(rows, nullptr);
    ASSERT_EQ(rows->rowCount(), kLastPort);
    for (int port = kFirstPort; port <= kLastPort; ++port) {
      const auto* caption =
          qobject_cast<QLabel*>(rows->itemAt(port - 1, QFormLayout::LabelRole)->widget());
      EXPECT_EQ(caption->text(), QStringLiteral("Com%1").arg(port));
      EXPECT_EQ(PortList(dialog, port).itemText(0),
                QStringLiteral("Default (/dev/ttyS%1)").arg(port - 1));
    }
    QComboBox& com1 = PortList(dialog, 1);
    ASSERT_EQ(com1.count(), 3);
    EXPECT_EQ(com1.currentIndex(), 0);
    EXPECT_EQ(com1.itemText(1), QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_A50285BI-if00-"
                                               "port0 (FT232R USB UART, FTDI, A50285BI)"));
    EXPECT_EQ(com1.itemText(2), QStringLiteral("/dev/ttyACM0"));
    EXPECT_EQ(PortList(dialog, 2).currentText(), QStringLiteral("/dev/ttyACM0"));
    EXPECT_EQ(PortList(dialog, 5).currentText(), QStringLiteral("/dev/ttyUSB9 (not present)"));
    Press(dialog, QDialogButtonBox::Cancel);
  });
}

TEST_F(DeviceDialogTest, OkReturnsEveryRowsChoiceAndCancelReturnsNothing) {
  PortDevices current;
  current.at(0) = "/dev/ttyACM0";
  current.at(6) = "/dev/ttyUSB9";
  const auto pick = [](QDialog& dialog) {
    PortList(dialog, 1).setCurrentIndex(0);  // back to the default
    PortList(dialog, 3).setCurrentIndex(1);
    PortList(dialog, 10).setCurrentIndex(2);
  };

  const std::optional<PortDevices> chosen = Choose(current, [&pick](QDialog& dialog) {
    pick(dialog);
    Press(dialog, QDialogButtonBox::Ok);
  });
  PortDevices expected;
  expected.at(2) = kPresent[0].path;
  expected.at(6) = "/dev/ttyUSB9";  // untouched, though unplugged
  expected.at(9) = "/dev/ttyACM0";
  EXPECT_EQ(chosen, expected);

  EXPECT_EQ(Choose(current,
                   [&pick](QDialog& dialog) {
                     pick(dialog);
                     Press(dialog, QDialogButtonBox::Cancel);
                   }),
            std::nullopt);
  // Closed by the window manager or Escape: a cancel too.
  EXPECT_EQ(Choose(current, [](QDialog& dialog) { dialog.reject(); }), std::nullopt);
}

}  // namespace
