// The GIF writer, checked by decoding what it wrote; and the grid's images.
#include "site/gif_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "kelvo/error.h"
#include "site/grid_images.h"

namespace kelvo::site {
namespace {

struct Decoded {
  int width = 0;
  int height = 0;
  std::vector<Rgb> palette;
  int transparent = -1;
  std::vector<std::uint8_t> pixels;
};

int Word(const std::string& gif, std::size_t at) {
  return static_cast<std::uint8_t>(gif[at]) | static_cast<std::uint8_t>(gif[at + 1]) << 8;
}

// A reader for what EncodeGif writes: one frame, a global palette, a graphic control block.
Decoded Decode(const std::string& gif) {
  Decoded image;
  EXPECT_EQ(gif.substr(0, 6), "GIF89a");
  image.width = Word(gif, 6);
  image.height = Word(gif, 8);
  const int flags = static_cast<std::uint8_t>(gif[10]);
  EXPECT_TRUE(flags & 0x80);
  const int colours = 1 << ((flags & 7) + 1);
  std::size_t at = 13;
  for (int i = 0; i < colours; ++i, at += 3) {
    image.palette.push_back({static_cast<std::uint8_t>(gif[at]),
                             static_cast<std::uint8_t>(gif[at + 1]),
                             static_cast<std::uint8_t>(gif[at + 2])});
  }
  EXPECT_EQ(gif.substr(at, 3), std::string("\x21\xF9\x04", 3));
  if (gif[at + 3] & 1) image.transparent = static_cast<std::uint8_t>(gif[at + 6]);
  at += 8;
  EXPECT_EQ(gif[at], '\x2C');
  at += 10;
  const int min_code_size = gif[at++];
  std::string data;
  while (gif[at] != 0) {
    const int length = static_cast<std::uint8_t>(gif[at]);
    data += gif.substr(at + 1, length);
    at += length + 1;
  }
  EXPECT_EQ(gif.substr(at), std::string("\0\x3B", 2));

  const int clear = 1 << min_code_size;
  std::vector<std::vector<std::uint8_t>> table;
  int width = min_code_size + 1;
  std::size_t bit = 0;
  std::vector<std::uint8_t> previous;
  const auto reset = [&] {
    table.clear();
    for (int i = 0; i < clear + 2; ++i) table.push_back({static_cast<std::uint8_t>(i)});
    width = min_code_size + 1;
    previous.clear();
  };
  reset();
  while (bit + width <= data.size() * 8) {
    int code = 0;
    for (int i = 0; i < width; ++i, ++bit) {
      code |= ((static_cast<std::uint8_t>(data[bit / 8]) >> (bit % 8)) & 1) << i;
    }
    if (code == clear) {
      reset();
      continue;
    }
    if (code == clear + 1) break;
    std::vector<std::uint8_t> entry;
    if (code < static_cast<int>(table.size())) {
      entry = table[code];
      if (!previous.empty()) {
        previous.push_back(entry[0]);
        table.push_back(previous);
      }
    } else {
      EXPECT_EQ(code, static_cast<int>(table.size()));
      entry = previous;
      entry.push_back(previous[0]);
      table.push_back(entry);
    }
    image.pixels.insert(image.pixels.end(), entry.begin(), entry.end());
    previous = entry;
    if (static_cast<int>(table.size()) == (1 << width) && width < 12) ++width;
  }
  return image;
}

TEST(GifEncoderTest, RoundTripsSmallAndLargeImages) {
  for (const int colours : {2, 5, 200}) {
    IndexedImage image;
    image.width = 97;
    image.height = 61;  // enough codes to reach 12 bits and start the table again
    for (int i = 0; i < colours; ++i) {
      image.palette.push_back(
          Rgb{static_cast<std::uint8_t>(i), 7, static_cast<std::uint8_t>(255 - i)});
    }
    std::uint32_t state = 12345;
    for (int i = 0; i < image.width * image.height; ++i) {
      state = state * 1103515245 + 12345;
      image.pixels.push_back(static_cast<std::uint8_t>((state >> 16) % colours));
    }
    const Decoded decoded = Decode(EncodeGif(image));
    EXPECT_EQ(decoded.width, image.width);
    EXPECT_EQ(decoded.height, image.height);
    EXPECT_EQ(decoded.transparent, 0);
    EXPECT_EQ(decoded.pixels, image.pixels) << colours << " colours";
    EXPECT_EQ(decoded.palette[colours - 1].b, 255 - (colours - 1));
  }
}

TEST(GifEncoderTest, RefusesImagesItCannotWrite) {
  IndexedImage image{2, 2, {Rgb{}, Rgb{}}, {0, 1, 2, 0}};
  EXPECT_THROW(EncodeGif(image), Error);  // pixel outside the palette
  image.pixels = {0, 1, 1};
  EXPECT_THROW(EncodeGif(image), Error);  // size does not match
}

TEST(GridImagesTest, EveryImageTheGridNamesExistsAndDecodes) {
  for (const char* name :
       {"orderasc.gif", "orderdesc.gif", "firstpg.gif", "firstpgd.gif", "prevpg.gif", "prevpgd.gif",
        "nextpg.gif", "nextpgd.gif", "lastpg.gif", "lastpgd.gif", "excel.gif"}) {
    const std::string* gif = FindGridImage(name);
    ASSERT_NE(gif, nullptr) << name;
    const Decoded image = Decode(*gif);
    EXPECT_EQ(image.pixels.size(), static_cast<std::size_t>(image.width * image.height)) << name;
    EXPECT_GT(std::count_if(image.pixels.begin(), image.pixels.end(),
                            [](std::uint8_t p) { return p != 0; }),
              10)
        << name << " is blank";
  }
  EXPECT_EQ(FindGridImage("other.gif"), nullptr);
  // The disabled buttons differ from the enabled ones.
  EXPECT_NE(*FindGridImage("nextpg.gif"), *FindGridImage("nextpgd.gif"));
}

}  // namespace
}  // namespace kelvo::site
