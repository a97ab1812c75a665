// A small GIF89a writer for the palette images the server draws itself.
#ifndef KELVO_SITE_GIF_ENCODER_H_
#define KELVO_SITE_GIF_ENCODER_H_

#include <cstdint>
#include <string>
#include <vector>

namespace kelvo::site {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
};

// A picture of palette indexes, row by row. Index 0 is transparent.
struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<Rgb> palette;          // at most 256 colours; index 0 included
  std::vector<std::uint8_t> pixels;  // width * height indexes into palette
};

// The image as a GIF89a file with one LZW-compressed frame. Throws Error(errc::kInvalidCall)
// for an empty image, a palette of more than 256 colours or a pixel outside the palette.
std::string EncodeGif(const IndexedImage& image);

}  // namespace kelvo::site

#endif  // KELVO_SITE_GIF_ENCODER_H_
