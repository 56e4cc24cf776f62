#include "window/icon_draw.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <optional>

namespace tavrel::window {
namespace {

using Rgb = std::array<int, 3>;
constexpr Rgb kNavy{0, 0, 128}, kBlue{0, 0, 255}, kCyan{0, 255, 255}, kBlack{0, 0, 0},
    kGreen{0, 128, 0}, kGrey{192, 192, 192}, kWhite{255, 255, 255};

// How far outside an ellipse a point lies, in units of its radii (1 on the outline).
double Ellipse(double x, double y, double cx, double cy, double rx, double ry) {
  return std::hypot((x - cx) / rx, (y - cy) / ry);
}

// Whether a point lies in the switch's rounded body, shrunk by INSET.
bool InSwitch(double x, double y, double inset) {
  const double radius = 4 - inset;
  const double cx = std::clamp(x, 5 + inset + radius, 27 - inset - radius);
  const double cy = std::clamp(y, 21 + inset + radius, 31 - inset - radius);
  return std::hypot(x - cx, y - cy) <= radius;
}

// The design on a 32-unit grid: a globe with a grid of lines above a switch turned on.
std::optional<Rgb> ColourAt(double x, double y) {
  if (Ellipse(x, y, 22, 26, 3, 3) <= 1) return Ellipse(x, y, 22, 26, 2, 2) <= 1 ? kWhite : kGrey;
  if (InSwitch(x, y, 1)) return kGreen;
  if (InSwitch(x, y, 0)) return kBlack;
  if (Ellipse(x, y, 16, 12, 10, 9) <= 1) {
    const bool line = std::abs(y - 6.5) <= 0.5 || std::abs(y - 13) <= 1 ||
                      std::abs(y - 19.5) <= 0.5 || std::abs(x - 16) <= 1 ||
                      std::abs(Ellipse(x, y, 16, 12, 5.5, 13) - 1) * 5.5 <= 1;
    return line ? kCyan : kBlue;
  }
  if (Ellipse(x, y, 16, 12, 11, 10) <= 1) return kNavy;
  return std::nullopt;
}

// One pixel: the design sampled on a grid within it and averaged, so edges come out
// smooth at any size.
void DrawPixel(int px, int py, double unit, std::uint8_t* out) {
  constexpr int kSamples = 4;  // a side
  Rgb sum{};
  int covered = 0;
  for (int sy = 0; sy < kSamples; ++sy) {
    for (int sx = 0; sx < kSamples; ++sx) {
      const auto colour =
          ColourAt((px + (sx + 0.5) / kSamples) * unit, (py + (sy + 0.5) / kSamples) * unit);
      if (!colour) continue;
      for (std::size_t c = 0; c < 3; ++c) sum[c] += (*colour)[c];
      ++covered;
    }
  }
  for (std::size_t c = 0; c < 3 && covered > 0; ++c)
    out[c] = static_cast<std::uint8_t>(sum[c] / covered);
  out[3] = static_cast<std::uint8_t>(covered * 255 / (kSamples * kSamples));
}

}  // namespace

IconImage DrawIcon(int size) {
  IconImage image{size, size, std::vector<std::uint8_t>(static_cast<std::size_t>(size * size) * 4)};
  const double unit = 32.0 / size;
  std::uint8_t* out = image.rgba.data();
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px, out += 4) DrawPixel(px, py, unit, out);
  }
  return image;
}

}  // namespace tavrel::window
