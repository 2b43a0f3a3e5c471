#include "ui/message_balloon_win32.h"

#include <gtest/gtest.h>

namespace zephyr {
namespace {

// The screen port reports the screen in 96-dpi units, so the model's balloon sits at a 96-dpi
// place; on a larger screen the window must go where that place lies in pixels, or its tail
// misses the point it aims at and its far edge leaves the screen.
TEST(BalloonPixels, PlaceAndSizeScaleAlikeAndIconsComeFromTheStripThatFits) {
  ui::BalloonGeometry units;
  units.origin = {600, 400};
  units.width = 256;
  units.height = 120;
  const struct {
    int dpi;
    ui::Point origin;
    int width;
    int strip;
  } rows[] = {{96, {600, 400}, 256, 16}, {120, {750, 500}, 320, 16},
              {144, {900, 600}, 384, 24}, {192, {1200, 800}, 512, 32}};
  for (const auto& row : rows) {
    const ui::BalloonGeometry pixels = ui::ToPixels(units, row.dpi);
    EXPECT_EQ(pixels.origin, row.origin) << row.dpi;
    EXPECT_EQ(pixels.width, row.width) << row.dpi;
    EXPECT_EQ(ui::IconStripFor(ui::ToPixels(ui::kIconCellSize, row.dpi)).cellSize, row.strip)
        << row.dpi;
  }
  EXPECT_EQ(ui::IconStripFor(8).cellSize, 16) << "smaller than every strip";
  EXPECT_EQ(ui::IconStripFor(100).cellSize, 48) << "larger than every strip";
}

}  // namespace
}  // namespace zephyr
