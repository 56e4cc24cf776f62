#include "window/icon.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "window/icon_draw.h"

namespace tavrel::window {
namespace {

// The icon file's images and the icon drawn from shapes at their sizes agree on nearly
// every pixel: the reader gets palette, mask and row order right, and the drawing follows
// the hand-drawn design (which, at 16 px, is simplified further).
TEST(Icon, FileAndDrawingShowTheSameDesign) {
  const auto images = ReadIcon(TavrelIcon());
  ASSERT_EQ(images.size(), 2u);
  for (const auto& [made, percent] : {std::pair{images[0], 80}, std::pair{images[1], 90}}) {
    SCOPED_TRACE(made.width);
    const IconImage drawn = DrawIcon(made.width);
    int agree = 0;
    for (std::size_t i = 0; i < drawn.rgba.size(); i += 4) {
      const bool opaque = drawn.rgba[i + 3] >= 128;
      int difference = 0;
      for (std::size_t c = 0; c < 3; ++c)
        difference += std::abs(drawn.rgba[i + c] - made.rgba[i + c]);
      agree += opaque == (made.rgba[i + 3] == 255) && (!opaque || difference < 128);
    }
    EXPECT_GE(agree * 100, made.width * made.width * percent);
  }
  std::set<std::uint8_t> alphas;
  const IconImage large = DrawIcon(256);
  for (std::size_t i = 3; i < large.rgba.size(); i += 4) alphas.insert(large.rgba[i]);
  EXPECT_TRUE(alphas.size() > 8 && alphas.count(0) && alphas.count(255)) << "smooth edges";
}

TEST(Icon, DamagedFilesGiveWhatCanBeRead) {
  const std::string icon(TavrelIcon());
  const std::pair<std::string, std::size_t> cases[] = {
      {"", 0},
      {icon.substr(0, 5), 0},
      {icon.substr(0, 22), 0},
      {icon.substr(0, icon.size() - 1), 1},  // the second image is cut short
      {"\1" + icon.substr(1), 0},            // not an icon file
  };
  for (const auto& [bytes, images] : cases) EXPECT_EQ(ReadIcon(bytes).size(), images);
}

}  // namespace
}  // namespace tavrel::window
