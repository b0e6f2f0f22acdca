// Which drops choose an image, the rule every backend's window applies.
#include <gtest/gtest.h>

#include "fakes/harness.h"
#include "platform/shared/dropped_files.h"

namespace {

TEST(DroppedImage, OnlyOneFileThatIsNoFolderIsChosen) {
  TempDir dir;
  const std::string file = dir.Write("image.hex", ":00000001FF\r\n");
  const std::string missing = dir.File("gone.hex");

  EXPECT_EQ(DroppedImage({file}), file);
  // The choice reports a file that cannot be read; the drop does not hide it.
  EXPECT_EQ(DroppedImage({missing}), missing);

  EXPECT_EQ(DroppedImage({}), std::nullopt);
  EXPECT_EQ(DroppedImage({""}), std::nullopt);
  EXPECT_EQ(DroppedImage({file, file}), std::nullopt);
  EXPECT_EQ(DroppedImage({dir.Path().string()}), std::nullopt);
}

}  // namespace
