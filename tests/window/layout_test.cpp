#include "window/layout.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace tavrel::window {
namespace {

TEST(Layout, DpiComesFromTheOverrideThenXftDpiThenIs96) {
  const char* xft = "Xft.antialias:\t1\nXft.dpi:\t144\n";
  EXPECT_EQ(ChooseDpi(nullptr, nullptr), 96);
  EXPECT_EQ(ChooseDpi(nullptr, xft), 144);
  EXPECT_EQ(ChooseDpi(nullptr, "Xft.dpi: 191.6\n"), 192);
  EXPECT_EQ(ChooseDpi("192", xft), 192);
  EXPECT_EQ(ChooseDpi("", "Xft.dpi:\t47\n*dpi: 144\n"), 96);
  EXPECT_EQ(ChooseDpi("481", "Xft.dpi:\t480"), 480);
  EXPECT_EQ(ChooseDpi("144x", "Xft.dpi:\t48"), 48);
}

// The window in pixels at each resolution, against tests/window/layout.golden.
TEST(Layout, PixelsAtEachDpiAreAsTheGoldenFile) {
  const FormState s = InitialFormState();
  std::ostringstream got;
  for (const int dpi : {96, 144, 192}) {
    const auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };
    got << dpi << " dpi: " << px(s.clientWidth) << 'x' << px(s.clientHeight) << ", font "
        << FontPixels(dpi) << '\n';
    for (const Control& c : s.controls) {
      got << "  " << (c.button ? c.caption : "label") << ' ' << px(c.place.left) << ','
          << px(c.place.top) << ' ' << px(c.place.width) << 'x' << px(c.place.height) << '\n';
    }
  }
  std::ifstream golden(TAVREL_TEST_DATA "/window/layout.golden");
  EXPECT_EQ(got.str(), std::string(std::istreambuf_iterator<char>(golden), {}));
}

}  // namespace
}  // namespace tavrel::window
