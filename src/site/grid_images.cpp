#include "site/grid_images.h"

#include <cmath>
#include <cstdlib>
#include <map>

#include "site/gif_encoder.h"

namespace kelvo::site {
namespace {

constexpr Rgb kBackground{255, 255, 255};
constexpr Rgb kActive{43, 87, 151};
constexpr Rgb kDisabled{184, 194, 204};
constexpr Rgb kSheet{29, 111, 66};
constexpr Rgb kSheetLine{160, 205, 178};
constexpr Rgb kIconLine{170, 188, 214};

class Canvas final {
 public:
  Canvas(int width, int height, Rgb ink)
      : image_{width, height, {kBackground, ink}, std::vector<std::uint8_t>(width * height, 0)} {}

  // Adds a colour and returns its index.
  std::uint8_t AddColour(Rgb colour) {
    image_.palette.push_back(colour);
    return static_cast<std::uint8_t>(image_.palette.size() - 1);
  }
  void Fill(int x0, int y0, int x1, int y1, std::uint8_t colour = 1) {
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) image_.pixels[y * image_.width + x] = colour;
    }
  }
  // A filled triangle pointing left (direction -1) or right (+1): tip at column `tip`, flat side
  // at column `base`, centred on row `centre` with half-height `half`.
  void HorizontalTriangle(int tip, int base, double centre, double half, int direction) {
    const int span = std::abs(base - tip);
    for (int step = 0; step <= span; ++step) {
      const int x = tip - direction * step;
      const double reach = half * (step + 0.5) / (span + 0.5);
      Column(x, centre - reach, centre + reach);
    }
  }
  // A filled triangle pointing up (direction -1) or down (+1), tip at row `tip`.
  void VerticalTriangle(int tip, int base, double centre, double half, int direction) {
    const int span = std::abs(base - tip);
    for (int step = 0; step <= span; ++step) {
      const int y = tip - direction * step;
      const double reach = half * (step + 0.5) / (span + 0.5);
      for (int x = static_cast<int>(std::ceil(centre - reach - 0.5));
           x <= static_cast<int>(std::floor(centre + reach - 0.5)); ++x) {
        image_.pixels[y * image_.width + x] = 1;
      }
    }
  }
  std::string Gif() const { return EncodeGif(image_); }

 private:
  void Column(int x, double top, double bottom) {
    for (int y = static_cast<int>(std::ceil(top - 0.5));
         y <= static_cast<int>(std::floor(bottom - 0.5)); ++y) {
      image_.pixels[y * image_.width + x] = 1;
    }
  }

  IndexedImage image_;
};

// The four navigation buttons share one 16x16 layout: a triangle, and for first and last a
// bar at the far end.
std::string NavigationImage(int direction, bool with_bar, Rgb ink) {
  Canvas canvas(16, 16, ink);
  const int tip = direction < 0 ? 4 : 11;
  const int base = direction < 0 ? 11 : 4;
  if (with_bar) {
    const int bar = direction < 0 ? 3 : 11;
    canvas.Fill(bar, 3, bar + 1, 12);
    canvas.HorizontalTriangle(direction < 0 ? tip + 2 : tip - 2, base + (direction < 0 ? 1 : -1),
                              8.0, 5.0, direction);
  } else {
    canvas.HorizontalTriangle(tip, base, 8.0, 5.0, direction);
  }
  return canvas.Gif();
}

std::string SortImage(int direction) {
  Canvas canvas(9, 6, kActive);
  canvas.VerticalTriangle(direction < 0 ? 1 : 4, direction < 0 ? 4 : 1, 4.5, 4.5, direction);
  return canvas.Gif();
}

// A small spreadsheet: a header band and a grid of cells.
std::string SpreadsheetImage(Rgb ink, Rgb lines) {
  Canvas canvas(16, 16, ink);
  const std::uint8_t white = canvas.AddColour(Rgb{255, 255, 255});
  const std::uint8_t line = canvas.AddColour(lines);
  canvas.Fill(1, 2, 14, 13);
  canvas.Fill(2, 5, 13, 12, white);
  for (int y = 7; y <= 11; y += 2) canvas.Fill(2, y, 13, y, line);
  for (int x = 5; x <= 10; x += 5) canvas.Fill(x, 5, x, 12, line);
  return canvas.Gif();
}

std::map<std::string, std::string, std::less<>> MakeImages() {
  std::map<std::string, std::string, std::less<>> images;
  const struct {
    const char* name;
    int direction;
    bool with_bar;
  } buttons[] = {
      {"firstpg", -1, true}, {"prevpg", -1, false}, {"nextpg", 1, false}, {"lastpg", 1, true}};
  for (const auto& button : buttons) {
    images[std::string(button.name) + ".gif"] =
        NavigationImage(button.direction, button.with_bar, kActive);
    images[std::string(button.name) + "d.gif"] =
        NavigationImage(button.direction, button.with_bar, kDisabled);
  }
  images["orderasc.gif"] = SortImage(-1);
  images["orderdesc.gif"] = SortImage(1);
  images["excel.gif"] = SpreadsheetImage(kSheet, kSheetLine);
  return images;
}

}  // namespace

const std::map<std::string, std::string, std::less<>>& GridImages() {
  static const auto images = MakeImages();
  return images;
}

const std::string& SiteIcon() {
  static const std::string icon = SpreadsheetImage(kActive, kIconLine);
  return icon;
}

const std::string* FindGridImage(std::string_view name) {
  const auto found = GridImages().find(name);
  return found == GridImages().end() ? nullptr : &found->second;
}

}  // namespace kelvo::site
