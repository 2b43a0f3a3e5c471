// The layout scale: edges rounded the same way everywhere, so neighbouring controls neither
// overlap nor open gaps at any scale, and nothing moves at 96 dots per inch.
#include "ui/dpi_scale.h"

#include <gtest/gtest.h>

#include "ui/movie_player.h"

namespace zephyr::testing {
namespace {

using ui::DpiScale;
using ui::Rect;

constexpr int kScreens[] = {96, 108, 120, 144, 168, 192, 240};

TEST(DpiScale, RoundsEdgesToTheNearestPixelAndFontsAsWindowsDoes) {
  struct Case {
    int dpi, layout, edge, length;
  };
  for (const Case& c : {Case{96, 7, 7, 7}, Case{120, 1, 1, 1}, Case{120, 2, 3, 3},
                        Case{144, 1, 2, 2}, Case{144, 3, 5, 5}, Case{144, -3, -4, -5},
                        Case{108, 4, 5, 5}, Case{72, 1, 1, 1}, Case{48, 1, 1, 1},
                        Case{48, -1, 0, -1}, Case{0, 10, 10, 10}}) {
    const DpiScale scale(c.dpi);
    EXPECT_EQ(scale.Edge(c.layout), c.edge) << c.dpi << " dpi, " << c.layout;
    EXPECT_EQ(scale.Length(c.layout), c.length) << c.dpi << " dpi, " << c.layout;
  }
  // MulDiv(points, dpi, 72): the skin's 8 points and the movie's 9 points.
  for (const auto& [dpi, eight, nine] :
       {std::tuple{96, 11, 12}, {120, 13, 15}, {144, 16, 18}, {192, 21, 24}}) {
    EXPECT_EQ(DpiScale(dpi).PointsToPixels(8), eight) << dpi;
    EXPECT_EQ(DpiScale(dpi).PointsToPixels(9), nine) << dpi;
  }
}

TEST(DpiScale, NeighboursStayTouchingOrApartAndContainersLineUp) {
  for (const int dpi : kScreens) {
    const DpiScale scale(dpi);
    for (int x = 0; x < 300; ++x) {
      for (const int width : {1, 2, 3, 7, 13}) {
        const Rect left{x, 5, width, 10};
        const Rect touching{x + width, 5, 9, 10};
        const Rect apart{x + width + 1, 5, 9, 10};
        const Rect a = scale.Scale(left);
        EXPECT_EQ(a.x + a.width, scale.Scale(touching).x) << dpi << " dpi at " << x;
        EXPECT_LT(a.x + a.width, scale.Scale(apart).x) << dpi << " dpi at " << x;
        EXPECT_GE(a.width, width) << dpi << " dpi at " << x;
        // A control inside a frame at (x, 40) lands where it would on the form itself.
        const Rect inside = scale.Scale({3, 4, width, 6}, x, 40);
        const Rect onForm = scale.Scale({x + 3, 44, width, 6});
        EXPECT_EQ(inside.x + scale.Edge(x), onForm.x) << dpi << " dpi at " << x;
        EXPECT_EQ(inside.width, onForm.width) << dpi << " dpi at " << x;
        EXPECT_EQ(inside.y + scale.Edge(40), onForm.y) << dpi << " dpi at " << x;
        if (dpi >= DpiScale::kLayoutDpi) {
          EXPECT_EQ(scale.Unscale(scale.Edge(x)), x) << dpi;
        }
      }
    }
  }
  const Rect any{17, 23, 101, 37};
  EXPECT_EQ(DpiScale().Scale(any), any);
  EXPECT_EQ(DpiScale(96).Scale(any, 300, 41), any);
}

TEST(DpiScale, MovieIsScaledByTheSameEdgesAndUnchangedAt96) {
  const ui::MovieDocument movie = ui::DefaultMovie();
  const ui::MovieDocument same = ui::ScaledMovie(movie, DpiScale());
  EXPECT_EQ(same.panelFrame, movie.panelFrame);
  EXPECT_EQ(same.screens[0].buttons[0].bounds, movie.screens[0].buttons[0].bounds);

  const DpiScale scale(144);
  const ui::MovieDocument big = ui::ScaledMovie(movie, scale);
  EXPECT_EQ(big.width, scale.Edge(movie.width));
  EXPECT_EQ(big.height, scale.Edge(movie.height));
  for (const auto& [scaled, original] :
       {std::pair{big.titleArea, movie.titleArea}, {big.menuArea, movie.menuArea},
        {big.panelFrame, movie.panelFrame}, {big.versionArea, movie.versionArea},
        {big.titleBarButtons.back().bounds, movie.titleBarButtons.back().bounds},
        {big.screens.back().buttons.back().bounds, movie.screens.back().buttons.back().bounds}}) {
    EXPECT_EQ(scaled, scale.Scale(original));
  }
  EXPECT_EQ(big.look, movie.look);  // fonts keep their points; the window sizes them
}

}  // namespace
}  // namespace zephyr::testing
