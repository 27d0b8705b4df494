// Decoding large pictures and composing a wallpaper from one. The pictures are made by this
// program (a photo-like 4000 × 3000 picture as JPEG and PNG, a 256-colour GIF) so the same files
// can be handed to other decoders for comparison; scripts/bench-pictures does that.
//
//   bench_wallpaper [--pictures=DIR] [--only-pictures] [benchmark options]
//
// --pictures=DIR keeps the pictures in DIR (written there when missing); without it they live in
// a temporary folder removed at exit. --only-pictures writes them and stops.
#include <benchmark/benchmark.h>
#include <png.h>
#include <stdlib.h>

#include <QGuiApplication>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

// jpeglib.h needs the standard types declared first.
#include <jpeglib.h>

#include "core/skins/definitions.h"
#include "core/wallpaper/dib_image.h"
#include "core/wallpaper/wallpaper_compositor.h"
#include "platform/wallpaper/sticker_text_renderer.h"

namespace {

using namespace kalvory;

// The bundled stickers of the source tree this program was built from.
const std::string kBundle = std::filesystem::path(__FILE__).parent_path().parent_path() / "res";

constexpr int kPhotoWidth = 4000;
constexpr int kPhotoHeight = 3000;
constexpr int kGifWidth = 3000;
constexpr int kGifHeight = 2000;
constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;

std::string gPictures;  // the folder of the test pictures

std::string PicturePath(std::string_view name) { return gPictures + "/" + std::string(name); }

// A small, fixed random sequence, so every run makes the same files.
class Noise {
 public:
  std::uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }

 private:
  std::uint32_t state_ = 2463534242u;
};

std::uint8_t Clamp(int value) { return static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value)); }

// Red, green, blue rows top-down: broad colour gradients, a softer diagonal wave and a few
// round "objects" like a landscape photo, plus sensor-like noise, so the encoders meet both
// smooth areas and fine detail.
std::vector<std::uint8_t> MakePhoto(int width, int height) {
  struct Colour {
    float red, green, blue;
  };
  std::vector<Colour> across(static_cast<std::size_t>(width)), down(static_cast<std::size_t>(height));
  for (int x = 0; x < width; ++x) {
    const float t = static_cast<float>(x) / static_cast<float>(width);
    across[static_cast<std::size_t>(x)] = {60.0f * std::sin(6.0f * t), 40.0f * std::cos(4.0f * t),
                                           30.0f * std::sin(9.0f * t + 1.0f)};
  }
  for (int y = 0; y < height; ++y) {
    const float t = static_cast<float>(y) / static_cast<float>(height);
    down[static_cast<std::size_t>(y)] = {120.0f - 60.0f * t, 150.0f - 70.0f * t, 200.0f - 150.0f * t};
  }
  std::vector<float> wave(static_cast<std::size_t>(width + height));
  for (std::size_t i = 0; i < wave.size(); ++i) wave[i] = 18.0f * std::sin(static_cast<float>(i) / 37.0f);

  struct Disc {
    int x, y, radius;
    Colour colour;
  };
  const std::array<Disc, 3> discs{{{width / 4, height / 3, height / 6, {230, 200, 60}},
                                   {2 * width / 3, 2 * height / 3, height / 4, {40, 110, 50}},
                                   {width / 2, height / 5, height / 10, {200, 70, 60}}}};

  Noise noise;
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  std::uint8_t* out = rgb.data();
  for (int y = 0; y < height; ++y) {
    const Colour& row = down[static_cast<std::size_t>(y)];
    for (int x = 0; x < width; ++x, out += 3) {
      const Colour& column = across[static_cast<std::size_t>(x)];
      const float shade = wave[static_cast<std::size_t>(x + y)];
      float red = row.red + column.red + shade;
      float green = row.green + column.green + shade;
      float blue = row.blue + column.blue;
      for (const Disc& disc : discs) {
        const int dx = x - disc.x, dy = y - disc.y;
        if (dx * dx + dy * dy < disc.radius * disc.radius) {
          red = 0.3f * red + disc.colour.red;
          green = 0.3f * green + disc.colour.green;
          blue = 0.3f * blue + disc.colour.blue;
        }
      }
      const std::uint32_t n = noise.Next();
      out[0] = Clamp(static_cast<int>(red) + static_cast<int>(n & 15) - 8);
      out[1] = Clamp(static_cast<int>(green) + static_cast<int>((n >> 4) & 15) - 8);
      out[2] = Clamp(static_cast<int>(blue) + static_cast<int>((n >> 8) & 15) - 8);
    }
  }
  return rgb;
}

bool WriteJpeg(const std::string& path, const std::vector<std::uint8_t>& rgb, int width, int height, int quality) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);  // a failure here ends the program, which suits a generator
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    auto* row = const_cast<JSAMPLE*>(rgb.data() + static_cast<std::size_t>(cinfo.next_scanline) * width * 3);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return std::fclose(file) == 0;
}

bool WritePng(const std::string& path, const std::vector<std::uint8_t>& rgb, int width, int height) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png == nullptr ? nullptr : png_create_info_struct(png);
  bool ok = info != nullptr;
  if (ok && setjmp(png_jmpbuf(png))) ok = false;
  if (ok) {
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, rgb.data() + static_cast<std::size_t>(y) * width * 3);
    png_write_end(png, nullptr);
  }
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0 && ok;
}

// The variable-length LZW code stream of a GIF image, 8-bit minimum code size.
class GifLzwEncoder {
 public:
  std::vector<std::uint8_t> Encode(const std::vector<std::uint8_t>& indices) {
    out_.clear();
    table_.assign(std::size_t{kCodes} * 256, Entry{});
    Reset();
    Emit(kClear);
    int prefix = indices.empty() ? 0 : indices[0];
    for (std::size_t i = 1; i < indices.size(); ++i) {
      const std::uint8_t k = indices[i];
      Entry& entry = table_[static_cast<std::size_t>(prefix) * 256 + k];
      if (entry.generation == generation_) {
        prefix = entry.code;
        continue;
      }
      Emit(prefix);
      entry = {generation_, static_cast<std::uint16_t>(next_++)};
      // The reader widens its codes one code later than the writer defines them.
      if (next_ > (1 << size_) && size_ < 12) ++size_;
      if (next_ == kCodes) {
        Emit(kClear);
        Reset();
      }
      prefix = k;
    }
    Emit(prefix);
    if (next_ == (1 << size_) && size_ < 12) ++size_;
    Emit(kEnd);
    if (bitCount_ > 0) out_.push_back(static_cast<std::uint8_t>(bits_));
    return out_;
  }

 private:
  static constexpr int kCodes = 4096;
  static constexpr int kClear = 256;
  static constexpr int kEnd = 257;
  struct Entry {
    std::uint32_t generation = 0;
    std::uint16_t code = 0;
  };
  void Reset() {
    ++generation_;
    size_ = 9;
    next_ = kEnd + 1;
  }
  void Emit(int code) {
    bits_ |= static_cast<std::uint32_t>(code) << bitCount_;
    bitCount_ += size_;
    while (bitCount_ >= 8) {
      out_.push_back(static_cast<std::uint8_t>(bits_));
      bits_ >>= 8;
      bitCount_ -= 8;
    }
  }

  std::vector<Entry> table_;
  std::vector<std::uint8_t> out_;
  std::uint32_t generation_ = 0;
  std::uint32_t bits_ = 0;
  int bitCount_ = 0;
  int size_ = 9;
  int next_ = kEnd + 1;
};

// The photo reduced to a 256-colour cube (8 reds, 8 greens, 4 blues), as a GIF of one image.
bool WriteGif(const std::string& path, const std::vector<std::uint8_t>& rgb, int width, int height) {
  std::vector<std::uint8_t> indices(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (std::size_t i = 0; i < indices.size(); ++i) {
    const std::uint8_t* p = rgb.data() + 3 * i;
    indices[i] = static_cast<std::uint8_t>((p[0] >> 5) << 5 | (p[1] >> 5) << 2 | (p[2] >> 6));
  }
  const std::vector<std::uint8_t> codes = GifLzwEncoder().Encode(indices);

  std::vector<std::uint8_t> file = {'G', 'I', 'F', '8', '9', 'a'};
  const auto u16 = [&file](int value) {
    file.push_back(static_cast<std::uint8_t>(value));
    file.push_back(static_cast<std::uint8_t>(value >> 8));
  };
  u16(width);
  u16(height);
  file.insert(file.end(), {0xF7, 0, 0});  // a global table of 256 entries
  for (int i = 0; i < 256; ++i) {
    file.push_back(static_cast<std::uint8_t>((i >> 5) * 255 / 7));
    file.push_back(static_cast<std::uint8_t>(((i >> 2) & 7) * 255 / 7));
    file.push_back(static_cast<std::uint8_t>((i & 3) * 255 / 3));
  }
  file.push_back(0x2C);
  u16(0);
  u16(0);
  u16(width);
  u16(height);
  file.push_back(0);  // no local table, not interlaced
  file.push_back(8);  // minimum code size
  for (std::size_t pos = 0; pos < codes.size(); pos += 255) {
    const std::size_t length = std::min<std::size_t>(255, codes.size() - pos);
    file.push_back(static_cast<std::uint8_t>(length));
    file.insert(file.end(), codes.begin() + static_cast<std::ptrdiff_t>(pos),
                codes.begin() + static_cast<std::ptrdiff_t>(pos + length));
  }
  file.push_back(0);
  file.push_back(0x3B);

  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
  return std::fclose(out) == 0 && written;
}

bool MakePictures() {
  std::error_code code;
  const bool haveAll = std::filesystem::exists(PicturePath("photo.jpg"), code) &&
                       std::filesystem::exists(PicturePath("photo.png"), code) &&
                       std::filesystem::exists(PicturePath("photo.gif"), code);
  if (haveAll) return true;
  std::fprintf(stderr, "Writing the test pictures into %s\n", gPictures.c_str());
  const std::vector<std::uint8_t> photo = MakePhoto(kPhotoWidth, kPhotoHeight);
  if (!WriteJpeg(PicturePath("photo.jpg"), photo, kPhotoWidth, kPhotoHeight, 90)) return false;
  if (!WritePng(PicturePath("photo.png"), photo, kPhotoWidth, kPhotoHeight)) return false;
  // The GIF is cut from the middle of the photo, where all three objects show.
  std::vector<std::uint8_t> middle(static_cast<std::size_t>(kGifWidth) * kGifHeight * 3);
  const int left = (kPhotoWidth - kGifWidth) / 2, top = (kPhotoHeight - kGifHeight) / 2;
  for (int y = 0; y < kGifHeight; ++y) {
    std::memcpy(middle.data() + static_cast<std::size_t>(y) * kGifWidth * 3,
                photo.data() + (static_cast<std::size_t>(y + top) * kPhotoWidth + left) * 3,
                static_cast<std::size_t>(kGifWidth) * 3);
  }
  return WriteGif(PicturePath("photo.gif"), middle, kGifWidth, kGifHeight);
}

void Decode(benchmark::State& state, std::string_view name, int format) {
  const std::string path = PicturePath(name);
  for (auto _ : state) {
    CDibImage picture;
    if (auto loaded = picture.Load(path, format); !loaded.ok()) {
      state.SkipWithError(loaded.error().c_str());
      return;
    }
    benchmark::DoNotOptimize(picture.GetBits());
  }
}

void BM_DecodeJpeg4000x3000(benchmark::State& state) { Decode(state, "photo.jpg", kImageFormatJpeg); }
BENCHMARK(BM_DecodeJpeg4000x3000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DecodePng4000x3000(benchmark::State& state) { Decode(state, "photo.png", kImageFormatPng); }
BENCHMARK(BM_DecodePng4000x3000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DecodeGif3000x2000(benchmark::State& state) { Decode(state, "photo.gif", kImageFormatGif); }
BENCHMARK(BM_DecodeGif3000x2000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The decoded photo fitted onto the canvas alone: the stretch of the composition.
void BM_FitOnCanvas(benchmark::State& state) {
  CDibImage picture;
  CDibImage canvas;
  if (!picture.Load(PicturePath("photo.jpg"), kImageFormatJpeg).ok() ||
      !canvas.Create(kScreenWidth, kScreenHeight, 24).ok()) {
    state.SkipWithError("cannot prepare the pictures");
    return;
  }
  // 4:3 on 16:9 is narrower than the screen: full height, centred.
  const int width = kPhotoWidth * 100 / kPhotoHeight * kScreenHeight / 100;
  for (auto _ : state) {
    picture.Draw(canvas, (kScreenWidth - width) / 2, 0, width, kScreenHeight);
    benchmark::DoNotOptimize(canvas.GetBits());
  }
}
BENCHMARK(BM_FitOnCanvas)->Unit(benchmark::kMillisecond)->UseRealTime();

// A whole composition as a reminder triggers it: the JPEG decoded, fitted with gradient bands on
// a 1920 × 1080 canvas, the two bundled stickers drawn with their texts, the file written.
void BM_ComposeJpegWithTwoStickers(benchmark::State& state) {
  std::vector<CWPStickerContext> placed;
  for (CWPStickerContext sticker : LoadStickers(kBundle, "n/a", nullptr)) {
    sticker.text = sticker.name == "Note" ? "Dentist at 15:30, bring the insurance card" : "Call mother";
    sticker.placedBy = kPlacedByReminder;
    placed.push_back(std::move(sticker));
  }
  if (placed.size() != 2) {
    state.SkipWithError("the two bundled stickers are missing");
    return;
  }
  QtStickerTextRenderer text;
  CWallpaperCompositor compositor(kScreenWidth, kScreenHeight, gPictures, placed, &text);
  CWallpaperContext request;
  request.style = 2;
  request.background_color = makeColorRef(40, 70, 120);
  for (auto _ : state) {
    request.picture = PicturePath("photo.jpg");
    if (auto composed = compositor.Compose(request); !composed.ok()) {
      state.SkipWithError(composed.error().c_str());
      return;
    }
  }
}
BENCHMARK(BM_ComposeJpegWithTwoStickers)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  bool onlyPictures = false;
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg.starts_with("--pictures=")) {
      gPictures = std::string(arg.substr(std::string_view("--pictures=").size()));
    } else if (arg == "--only-pictures") {
      onlyPictures = true;
    } else {
      rest.push_back(argv[i]);
    }
  }
  bool temporary = false;
  std::error_code code;
  if (gPictures.empty()) {
    std::string folder = (std::filesystem::temp_directory_path(code) / "kalvory-bench-XXXXXX").string();
    if (code || mkdtemp(folder.data()) == nullptr) {
      std::fprintf(stderr, "cannot make a temporary folder\n");
      return 1;
    }
    gPictures = folder;
    temporary = true;
  } else {
    std::filesystem::create_directories(gPictures, code);
  }
  if (!MakePictures()) {
    std::fprintf(stderr, "cannot write the test pictures into %s\n", gPictures.c_str());
    return 1;
  }
  if (onlyPictures) return 0;

  // The sticker texts are drawn by Qt's text engine, which needs a GUI application.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int qtArgc = 1;
  QGuiApplication application(qtArgc, argv);

  int benchArgc = static_cast<int>(rest.size());
  benchmark::Initialize(&benchArgc, rest.data());
  if (benchmark::ReportUnrecognizedArguments(benchArgc, rest.data())) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (temporary) std::filesystem::remove_all(gPictures, code);
  return 0;
}
