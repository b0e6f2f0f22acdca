#include "platform/qt/device_dialog.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>
#include <array>

#include "platform/qt/qt_text.h"
#include "ui/layout.h"
#include "ui/texts.h"

namespace {

using PortLists = std::array<QComboBox*, kLastPort>;

std::size_t Slot(int port) {
  return static_cast<std::size_t>(port - kFirstPort);
}

QComboBox* BuildPortList(QWidget* parent, int port, const PortChoices& choices) {
  auto* list = new QComboBox(parent);
  list->setObjectName(QStringLiteral("com%1").arg(port));
  // Device names under /dev/serial/by-id/ are long; the list is as wide as
  // its longest entry.
  list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  for (const DeviceChoice& entry : choices.entries) {
    list->addItem(ToQ(entry.text), ToQ(entry.device));
  }
  list->setCurrentIndex(static_cast<int>(choices.selected));
  return list;
}

PortDevices ChosenDevices(const PortLists& lists) {
  PortDevices chosen;
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    chosen.at(Slot(port)) = FromQ(lists.at(Slot(port))->currentData().toString());
  }
  return chosen;
}

}  // namespace

std::optional<PortDevices> RunDeviceDialog(QWidget* parent,
                                           const std::vector<SerialDevice>& present,
                                           const PortDevices& current) {
  QDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("AssignDevices"));
  dialog.setWindowTitle(ToQ(ui::kAssignDevicesTitle));
  auto* rows = new QFormLayout;
  PortLists lists{};
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    QComboBox* list =
        BuildPortList(&dialog, port, DeviceChoices(port, present, current.at(Slot(port))));
    lists.at(Slot(port)) = list;
    rows->addRow(ToQ(ui::kMenuItems.at(Slot(port)).caption), list);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(rows);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted) {
    return std::nullopt;
  }
  return ChosenDevices(lists);
}
