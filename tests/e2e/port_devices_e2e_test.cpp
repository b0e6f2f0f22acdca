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

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "dialog_answerer.h"
#include "e2e/e2e_harness.h"
#include "fakes/hex_lines.h"
#include "platform/services/device_names.h"
#include "qt_loop.h"
#include "sim_process.h"
#include "ui/texts.h"

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
    return std::vector<SerialDevice>{{second.Device(), "Simulated TBX4", "", ""}};
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
// standing where it belongs. Root writes where the permissions say no, so
// for root the folder is marked immutable instead, where the file system
// allows it (Available() tells).
class UnwritablePorts {
 public:
  enum class Way { kFileInTheWay, kReadOnlyFolder };

  UnwritablePorts(const fs::path& program_dir, Way way) : ports_(program_dir / "ports"), way_(way) {
    if (way_ == Way::kFileInTheWay) {
      std::ofstream(ports_) << "not a folder\n";
      return;
    }
    fs::create_directory(ports_);
    available_ =
        geteuid() == 0
            ? SetImmutable(true)
            : (fs::permissions(ports_, fs::perms::owner_read | fs::perms::owner_exec), true);
  }
  ~UnwritablePorts() {
    if (way_ == Way::kReadOnlyFolder && available_) {
      if (geteuid() == 0) {
        SetImmutable(false);
      } else {
        fs::permissions(ports_, fs::perms::owner_all);
      }
    }
  }
  UnwritablePorts(const UnwritablePorts&) = delete;
  UnwritablePorts& operator=(const UnwritablePorts&) = delete;

  bool Available() const { return available_; }

 private:
  bool SetImmutable(bool on) const {
    const int fd = open(ports_.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) {
      return false;
    }
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    close(fd);
    return done;
  }

  fs::path ports_;
  Way way_;
  bool available_ = true;
};

TEST(AssignDevices, AFolderThatCannotTakeTheLinksSaysSoAndChangesNothing) {
  for (const auto way :
       {UnwritablePorts::Way::kFileInTheWay, UnwritablePorts::Way::kReadOnlyFolder}) {
    EndToEnd e;
    e.window.SetDeviceLister([] {
      return std::vector<SerialDevice>{{"/dev/ttyACM0", "", "", ""}};
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
