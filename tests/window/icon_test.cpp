#include <gtest/gtest.h>

#include <set>

#include "window/icon_draw.h"

namespace tavrel::window {
namespace {

// Drawn, not scaled: a large image has smooth edges, every shade between clear and opaque.
TEST(Icon, DrawnWithSmoothEdges) {
  std::set<std::uint8_t> alphas;
  const IconImage large = DrawIcon(256);
  for (std::size_t i = 3; i < large.rgba.size(); i += 4) alphas.insert(large.rgba[i]);
  EXPECT_TRUE(alphas.size() > 8 && alphas.count(0) && alphas.count(255)) << "smooth edges";
}

}  // namespace
}  // namespace tavrel::window
