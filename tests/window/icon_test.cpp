#include "window/icon.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "window/icon_draw.h"

namespace tavrel::window {
namespace {

TEST(Icon, HoldsSixteenColourImagesOfBothSizes) {
  const auto images = ReadIcon(TavrelIcon());
  ASSERT_EQ(images.size(), 2u);
  for (const IconImage& image : images) {
    SCOPED_TRACE(image.width);
    EXPECT_EQ(image.width, image.height);
    std::set<std::uint32_t> colours;
    for (std::size_t i = 0; i < image.rgba.size(); i += 4) {
      const std::uint8_t alpha = image.rgba[i + 3];
      ASSERT_TRUE(alpha == 0 || alpha == 255);
      colours.insert(static_cast<std::uint32_t>(image.rgba[i] << 16 | image.rgba[i + 1] << 8 |
                                                image.rgba[i + 2]));
    }
    EXPECT_LE(colours.size(), 16u);
    EXPECT_EQ(image.rgba[3], 0) << "the top-left corner is transparent";
    const auto centre =
        static_cast<std::size_t>((image.height / 2 * image.width + image.width / 2) * 4);
    EXPECT_EQ(image.rgba[centre + 3], 255) << "the centre is drawn";
  }
  EXPECT_EQ(images[0].width, 16);
  EXPECT_EQ(images[1].width, 32);
}

// The large icons are drawn from the design of the hand-drawn ones: at 32 px nearly every
// pixel agrees with the icon file's image, and at 256 px the edges are smooth.
TEST(Icon, DrawnIconFollowsTheIconFilesDesign) {
  const IconImage drawn = DrawIcon(32);
  const IconImage made = ReadIcon(TavrelIcon()).at(1);
  int agree = 0;
  for (std::size_t i = 0; i < drawn.rgba.size(); i += 4) {
    const bool opaque = drawn.rgba[i + 3] >= 128;
    int difference = 0;
    for (std::size_t c = 0; c < 3; ++c)
      difference += std::abs(drawn.rgba[i + c] - made.rgba[i + c]);
    agree += opaque == (made.rgba[i + 3] == 255) && (!opaque || difference < 128);
  }
  EXPECT_GE(agree, 32 * 32 * 92 / 100);
  const IconImage large = DrawIcon(256);
  std::set<std::uint8_t> alphas;
  for (std::size_t i = 3; i < large.rgba.size(); i += 4) alphas.insert(large.rgba[i]);
  EXPECT_GT(alphas.size(), 8u) << "edges are anti-aliased";
}

TEST(Icon, DamagedFilesGiveWhatCanBeRead) {
  const std::string icon(TavrelIcon());
  struct Case {
    std::string bytes;
    std::size_t images;
  };
  const Case cases[] = {
      {"", 0},
      {icon.substr(0, 5), 0},
      {icon.substr(0, 22), 0},
      {icon.substr(0, icon.size() - 1), 1},  // the second image is cut short
      {"\1" + icon.substr(1), 0},            // not an icon file
  };
  for (const Case& c : cases) EXPECT_EQ(ReadIcon(c.bytes).size(), c.images);
}

}  // namespace
}  // namespace tavrel::window
