// "Assign Devices..." on the real program, offscreen, with two simulated units:
// the dialog's choice becomes the program folder's port links, the port in use
// follows it, and a folder that cannot take the links says so.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>

#include "dialog_answerer.h"
#include "e2e/e2e_harness.h"
#include "fakes/hex_lines.h"
#include "platform/services/device_names.h"
#include "qt_loop.h"
#include "sim_process.h"
#include "ui/texts.h"
#include "unwritable_folder.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const std::string kRevisionQuery = ";TB00;TB73;TBV;";

// Chooses `entry` of Com`port`'s list and presses OK.
DialogAnswerer::Act PickAndAccept(int port, int entry) {
  return [port, entry](QDialog& dialog) {
    dialog.findChild<QComboBox*>(QStringLiteral("com%1").arg(port))->setCurrentIndex(entry);
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  };
}

void ChooseAssignDevices(EndToEnd& e) {
  e.window.findChild<QAction*>(QStringLiteral("AssignDevices"))->trigger();
}

TEST(AssignDevices, ThePortInUseMovesToTheChosenDeviceAtOnce) {
  EndToEnd e;
  SimProcess first(e.dir.Path().string(), {});
  SimProcess second(e.dir.File("second-unit"), e.dir.File("second-wire.bin"), {});
  e.window.SetDeviceLister([&second] {
    return std::vector<SerialDevice>{{second.Device(), "Simulated TBX4", "", "", ""}};
  });
  e.Start(Join(Concat(Records(2), {kEndOfFileRecord})));
  ASSERT_TRUE(e.comm1.PortOpen());

  // Com1's list: the default, the second unit, then the first unit's device,
  // which the system did not report.
  DialogAnswerer answer("AssignDevices", PickAndAccept(1, 1));
  ChooseAssignDevices(e);
  ASSERT_TRUE(answer.Answered());
  EXPECT_EQ(fs::read_symlink(e.dir.Path() / "ports" / "com1").string(), second.Device());
  EXPECT_EQ(DevicePathForPort(1, e.dir.Path().string()), second.Device());
  ASSERT_TRUE(e.comm1.PortOpen());

  e.window.Deliver({EventKind::kGetRevClicked});
  ASSERT_TRUE(WaitUntil([&second] { return second.Wire() == kRevisionQuery; }, 2s));
  e.RunFor(50ms);
  EXPECT_EQ(first.Wire(), "");
  EXPECT_EQ(e.boxes.Boxes().size(), 1u);  // the instructions only
}

// The folder of links made read-only for the time of a test, or a file
// standing where it belongs.
class UnwritablePorts {
 public:
  enum class Way { kFileInTheWay, kReadOnlyFolder };

  UnwritablePorts(const fs::path& program_dir, Way way) {
    const fs::path ports = program_dir / "ports";
    if (way == Way::kFileInTheWay) {
      std::ofstream(ports) << "not a folder\n";
      return;
    }
    fs::create_directory(ports);
    folder_.emplace(ports);
  }

  bool Available() const { return !folder_ || folder_->Available(); }

 private:
  std::optional<UnwritableFolder> folder_;
};

TEST(AssignDevices, AFolderThatCannotTakeTheLinksSaysSoAndChangesNothing) {
  for (const auto way :
       {UnwritablePorts::Way::kFileInTheWay, UnwritablePorts::Way::kReadOnlyFolder}) {
    EndToEnd e;
    e.window.SetDeviceLister([] {
      return std::vector<SerialDevice>{{"/dev/ttyACM0", "", "", "", ""}};
    });
    const UnwritablePorts unwritable(e.dir.Path(), way);
    if (!unwritable.Available()) {
      std::printf("no read-only folder to be had here; the file in the way stands in\n");
      continue;
    }
    e.Start(Join(Concat(Records(2), {kEndOfFileRecord})));
    const std::size_t boxes_before = e.boxes.Boxes().size();

    DialogAnswerer answer("AssignDevices", PickAndAccept(2, 1));
    ChooseAssignDevices(e);
    ASSERT_TRUE(answer.Answered());
    ASSERT_TRUE(WaitUntil([&] { return e.boxes.Boxes().size() > boxes_before; }, 2s));

    const BoxAnswerer::Box& box = e.boxes.Boxes().back();
    EXPECT_EQ(box.text.rfind(ui::kAssignDevicesCannotWrite, 0), 0u) << box.text;
    EXPECT_GT(box.text.size(), std::string(ui::kAssignDevicesCannotWrite).size());
    EXPECT_EQ(box.icon, QMessageBox::Warning);
    EXPECT_FALSE(fs::is_symlink(e.dir.Path() / "ports" / "com2"));
  }
}

}  // namespace
