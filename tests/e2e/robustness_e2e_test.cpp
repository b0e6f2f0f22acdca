// The real program under the things that happen at a bench: a cable pulled and
// put back, a unit that babbles or floods, and commands pressed mid-download.
#include <gtest/gtest.h>

#include <QAction>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <thread>

#include <unistd.h>

#include "e2e/e2e_harness.h"
#include "fakes/hex_lines.h"
#include "pty_pair.h"
#include "sim_process.h"
#include "ui/texts.h"

namespace {

using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;

const std::vector<std::string> kImage = Concat(Records(40), {kEndOfFileRecord});
const std::string kWholeImage = kEnterDownload + Join(kImage, "") + ";";

TEST(Unplug, DownloadEndsAtOnceIdleAndAFreshDownloadWorksOnceTheUnitIsBack) {
  EndToEnd e;
  const std::string settings_before = [&] {
    auto unit = std::make_unique<SimProcess>(e.dir.Path().string(),
                                             std::vector<std::string>{"--hangup-after", "5"});
    e.Start(Join(kImage));
    const auto start = Steady::now();
    e.window.Deliver({EventKind::kDownloadClicked});
    EXPECT_LT(Steady::now() - start, 900ms);  // a few lines, then one half-second wait
    EXPECT_TRUE(unit->WaitForExit(1000));
    return e.dir.Read("tbx4_dld.ini");
  }();
  EXPECT_EQ(e.Status(), ui::kCommError);
  EXPECT_EQ(e.boxes.Boxes().back().text, ui::kNoReplyWarning);
  EXPECT_FALSE(e.comm1.PortOpen());

  const auto cpu_before = ProcessCpuTime();
  e.RunFor(300ms);
  EXPECT_LT(ProcessCpuTime() - cpu_before, 15ms);
  EXPECT_EQ(e.dir.Read("tbx4_dld.ini"), settings_before);

  SimProcess unit_again(e.dir.Path().string(), {});
  e.window.Deliver({EventKind::kPortChosen, 1});
  ASSERT_TRUE(e.comm1.PortOpen());
  e.window.Deliver({EventKind::kDownloadClicked});
  e.RunFor(50ms);
  EXPECT_EQ(e.Status(), ui::kDownloadComplete);
  EXPECT_EQ(unit_again.Wire(), kWholeImage);
}

TEST(NoisyUnit, GarbageBetweenAcknowledgmentsStillGivesAWholeDownload) {
  EndToEnd e;
  SimProcess unit(e.dir.Path().string(), {"--garbage"});
  e.Start(Join(kImage));
  e.window.Deliver({EventKind::kDownloadClicked});
  e.RunFor(50ms);
  EXPECT_EQ(e.Status(), ui::kDownloadComplete);
  EXPECT_EQ(unit.Wire(), kWholeImage);
}

TEST(NoisyUnit, FloodWithoutTerminatorsKeepsMemoryBoundedAndTheWindowResponsive) {
  EndToEnd e;
  PtyPair line;
  line.LinkAs(e.dir.Path() / "ports" / "com1");
  const int master = line.Master();
  e.Start(Join(kImage));
  ASSERT_TRUE(e.comm1.PortOpen());

  std::atomic<bool> done{false};
  std::thread flood([&] {
    const std::string block(64 * 1024, 'x');
    for (int i = 0; i < 160; ++i) {  // 10 MiB
      ssize_t left = static_cast<ssize_t>(block.size());
      while (left > 0) {
        const ssize_t wrote = write(master, block.data() + block.size() - left, left);
        if (wrote <= 0) {
          return;
        }
        left -= wrote;
      }
    }
    done = true;
  });
  // A timer that should tick every 10 ms, whatever arrives.
  Steady::time_point last = Steady::now();
  Steady::duration longest_gap{};
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    longest_gap = std::max(longest_gap, Steady::now() - last);
    last = Steady::now();
  });
  tick.start(10);
  for (int i = 0; i < 200 && !done; ++i) {
    e.RunFor(50ms);
  }
  e.RunFor(100ms);
  flood.join();
  tick.stop();
  line.Hangup();

  EXPECT_TRUE(done);
  EXPECT_EQ(e.dld.RxBuffer().size(), 64u * 1024u);
  EXPECT_EQ(e.window.Text(TextArea::kDebugBox), "");
  EXPECT_LT(longest_gap, 200ms);
}

struct MidDownload : testing::Test {
  MidDownload() : unit(e.dir.Path().string(), {"--delay-ms", "20"}) { e.Start(Join(kImage)); }
  // Runs `action` once the download is under way.
  void During(std::function<void()> action) {
    QTimer::singleShot(150, [action] { action(); });
    e.window.Deliver({EventKind::kDownloadClicked});
    e.RunFor(100ms);
  }
  EndToEnd e;
  SimProcess unit;
};

// Both buttons are held back while the download runs, however they are
// pressed: the download goes on byte for byte and nothing else is sent.
TEST_F(MidDownload, SecondPressAndRevisionPressSendNothingAndTheDownloadCompletes) {
  auto* download = e.window.findChild<QPushButton*>(QStringLiteral("Dload_TBX4"));
  auto* revision = e.window.findChild<QPushButton*>(QStringLiteral("GetRev"));
  bool disabled_during = false;
  During([&] {
    disabled_during = !download->isEnabled() && !revision->isEnabled();
    e.window.Deliver({EventKind::kDownloadClicked});
    download->click();
    e.window.Deliver({EventKind::kGetRevClicked});
  });
  EXPECT_TRUE(disabled_during);
  EXPECT_EQ(e.Status(), ui::kDownloadComplete);
  EXPECT_EQ(unit.Wire(), kWholeImage);
  EXPECT_EQ(e.boxes.Boxes().size(), 1u);  // the instructions only
  EXPECT_TRUE(download->isEnabled());
  EXPECT_TRUE(revision->isEnabled());
}

// A slip on Ctrl+F2 with a second unit on COM2: the port menu is greyed and
// its shortcut does nothing, so the first unit gets the whole image and the
// second nothing at all. Afterwards the same key chooses COM2.
TEST_F(MidDownload, PortChoiceSendsNothingToAnotherUnitAndTheDownloadCompletes) {
  SimProcess second((e.dir.Path() / "ports" / "com2").string(),
                    (e.dir.Path() / "wire2.bin").string(), {});
  auto* com2 = e.window.findChild<QAction*>(QStringLiteral("Setcomm2"));
  auto* devices = e.window.findChild<QAction*>(QStringLiteral("AssignDevices"));
  e.window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&e.window));
  bool greyed_during = false;
  During([&] {
    greyed_during = !com2->isEnabled() && !devices->isEnabled();
    QTest::keyClick(&e.window, Qt::Key_F2, Qt::ControlModifier);
    com2->trigger();
    e.window.Deliver({EventKind::kPortChosen, 2});
  });
  EXPECT_TRUE(greyed_during);
  EXPECT_EQ(e.Status(), ui::kDownloadComplete);
  EXPECT_EQ(unit.Wire(), kWholeImage);
  EXPECT_EQ(second.Wire(), "");
  EXPECT_EQ(e.dld.Globals().PortNumber, SettingValue(1));

  ASSERT_TRUE(com2->isEnabled());
  QTest::keyClick(&e.window, Qt::Key_F2, Qt::ControlModifier);
  EXPECT_EQ(e.dld.Globals().PortNumber, SettingValue(2));
  EXPECT_TRUE(e.comm1.PortOpen());
}

TEST_F(MidDownload, ClosingTheWindowEndsTheDownloadQuietlyAndSendsNothingMore) {
  std::size_t sent_at_close = 0;
  std::size_t boxes_at_close = 0;
  During([&] {
    boxes_at_close = e.boxes.Boxes().size();
    e.window.close();
    sent_at_close = unit.Wire().size();
  });
  e.RunFor(200ms);
  EXPECT_FALSE(e.comm1.PortOpen());
  EXPECT_EQ(e.boxes.Boxes().size(), boxes_at_close);
  EXPECT_GT(sent_at_close, 0u);
  EXPECT_LE(unit.Wire().size(), sent_at_close + Record(0).size());  // at most a line in flight
  EXPECT_LT(unit.Wire().size(), kWholeImage.size());
  EXPECT_TRUE(e.dir.Read("tbx4_dld.ini").starts_with("1,\""));
}

}  // namespace
