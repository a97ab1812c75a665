#include "site/gif_encoder.h"

#include <algorithm>
#include <unordered_map>

#include "kelvo/error.h"

namespace kelvo::site {
namespace {

constexpr int kMaxCode = 4095;

void PutWord(std::string& out, int value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

// Packs variable-width codes least significant bit first, as GIF wants.
class CodeWriter final {
 public:
  void Put(int code, int width) {
    bits_ |= static_cast<std::uint32_t>(code) << count_;
    count_ += width;
    while (count_ >= 8) {
      bytes_.push_back(static_cast<char>(bits_ & 0xFF));
      bits_ >>= 8;
      count_ -= 8;
    }
  }
  std::string Finish() {
    if (count_ > 0) bytes_.push_back(static_cast<char>(bits_ & 0xFF));
    return std::move(bytes_);
  }

 private:
  std::string bytes_;
  std::uint32_t bits_ = 0;
  int count_ = 0;
};

std::string CompressLzw(const std::vector<std::uint8_t>& pixels, int min_code_size) {
  const int clear = 1 << min_code_size;
  const int end = clear + 1;
  std::unordered_map<std::uint32_t, int> table;
  int next = end + 1;
  int width = min_code_size + 1;
  CodeWriter writer;
  writer.Put(clear, width);
  int prefix = pixels.front();
  for (std::size_t i = 1; i < pixels.size(); ++i) {
    const std::uint32_t key = (static_cast<std::uint32_t>(prefix) << 8) | pixels[i];
    if (const auto found = table.find(key); found != table.end()) {
      prefix = found->second;
      continue;
    }
    writer.Put(prefix, width);
    prefix = pixels[i];
    const int code = next++;
    table.emplace(key, code);
    // The decoder learns each code one step later, so the width grows once the code just
    // assigned no longer fits.
    if (code >= (1 << width) && width < 12) ++width;
    if (code == kMaxCode) {
      writer.Put(clear, width);
      table.clear();
      next = end + 1;
      width = min_code_size + 1;
    }
  }
  writer.Put(prefix, width);
  writer.Put(end, width);
  return writer.Finish();
}

}  // namespace

std::string EncodeGif(const IndexedImage& image) {
  const std::size_t colours = image.palette.size();
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<std::size_t>(image.width) * image.height) {
    throw Error(errc::kInvalidCall, "GIF image: the size does not match the pixels");
  }
  if (colours == 0 || colours > 256) {
    throw Error(errc::kInvalidCall, "GIF image: a palette needs 1 to 256 colours");
  }
  if (std::any_of(image.pixels.begin(), image.pixels.end(),
                  [&](std::uint8_t index) { return index >= colours; })) {
    throw Error(errc::kInvalidCall, "GIF image: a pixel lies outside the palette");
  }
  int table_bits = 1;
  while ((std::size_t{1} << table_bits) < colours) ++table_bits;

  std::string out = "GIF89a";
  PutWord(out, image.width);
  PutWord(out, image.height);
  out.push_back(static_cast<char>(0xF0 | (table_bits - 1)));  // global table, 8-bit colour
  out.push_back('\0');                                        // background index
  out.push_back('\0');                                        // square pixels
  for (std::size_t i = 0; i < (std::size_t{1} << table_bits); ++i) {
    const Rgb colour = i < colours ? image.palette[i] : Rgb{};
    out.push_back(static_cast<char>(colour.r));
    out.push_back(static_cast<char>(colour.g));
    out.push_back(static_cast<char>(colour.b));
  }
  // Graphic control extension: index 0 is transparent.
  out.append("\x21\xF9\x04\x01\x00\x00\x00\x00", 8);
  out.push_back('\x2C');
  PutWord(out, 0);
  PutWord(out, 0);
  PutWord(out, image.width);
  PutWord(out, image.height);
  out.push_back('\0');

  const int min_code_size = std::max(2, table_bits);
  out.push_back(static_cast<char>(min_code_size));
  const std::string data = CompressLzw(image.pixels, min_code_size);
  for (std::size_t at = 0; at < data.size(); at += 255) {
    const std::size_t length = std::min<std::size_t>(255, data.size() - at);
    out.push_back(static_cast<char>(length));
    out.append(data, at, length);
  }
  out.push_back('\0');
  out.push_back('\x3B');
  return out;
}

}  // namespace kelvo::site
