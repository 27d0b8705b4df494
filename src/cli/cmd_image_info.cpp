// kalvory-cli image-info: what the picture reader makes of a file.
#include <ostream>
#include <string>

#include "cli/command.h"
#include "core/wallpaper/dib_image.h"

namespace kalvory::cli {
namespace {

int runImageInfo(CommandContext& context) {
  Arguments arguments(context.args);
  std::string frameText;
  const bool haveFrame = arguments.takeOption("--frame", frameText);
  const auto files = arguments.positionals(1, 1);
  const std::string& path = files[0];

  int frame = 0;
  if (haveFrame) {
    const std::optional<int> number = parseNumber<int>(frameText);
    if (!number || *number < 0) throw UsageError{"--frame needs a whole number from 0: " + frameText};
    frame = *number;
  }
  // The reader is chosen by the extension, as the wallpaper composition chooses it.
  const int format = ImageFormatFromPath(path);
  if (format < 0) {
    return context.refuse(path + ": unsupported picture extension (bmp, jpg, jpeg, gif, png, ico, tif, tiff)");
  }
  CDibImage image;
  image.SetFrame(frame);
  if (auto loaded = image.Load(path, format); !loaded.ok()) return context.refuse(path + ": " + loaded.error());
  context.out << "format: " << ImageFormatName(format) << "\n"
              << "width: " << image.Width() << "\n"
              << "height: " << image.Height() << "\n"
              << "bits: " << image.GetBpp() << "\n"
              << "frames: " << image.GetNumFrames() << "\n";
  return kExitOk;
}

const Registration registration{{"image-info", "image-info FILE [--frame N]",
                                 "Reads a picture as the wallpaper does (reader chosen by the extension) and "
                                 "prints its format, width, height, bits per pixel and frame count, or the "
                                 "reader's error.",
                                 runImageInfo}};

}  // namespace
}  // namespace kalvory::cli
