// JPEG files through libjpeg.
//
// libjpeg's default error handler ends the process; ours longjmps back to the function that
// called setjmp. Those functions hold no objects with destructors and write only into memory
// allocated before them, so the jump never skips a destructor.

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

// jpeglib.h needs the standard types declared first.
#include <jerror.h>
#include <jpeglib.h>

#include "core/wallpaper/image_readers.h"

namespace kalvory::image_readers {

namespace {

// Progressive files may repeat scans without end; real ones have a dozen or so.
constexpr int kMaxScans = 500;

struct JpegErrorState {
  jpeg_error_mgr manager;  // first, so the library's pointer to it is a pointer to the whole
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

struct JpegProgress {
  jpeg_progress_mgr manager;  // first, as above
  JpegErrorState* state;
};

[[noreturn]] void Fail(j_common_ptr cinfo) {
  auto* state = reinterpret_cast<JpegErrorState*>(cinfo->err);
  std::longjmp(state->jump, 1);
}

[[noreturn]] void OnJpegErrorExit(j_common_ptr cinfo) {
  auto* state = reinterpret_cast<JpegErrorState*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, state->message);
  Fail(cinfo);
}

// Warnings about corrupt data still give a picture, except the end of the data coming too
// soon: libjpeg would fill the rest of a cut-off file with grey and call it a success.
void OnJpegMessage(j_common_ptr cinfo, int level) {
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) OnJpegErrorExit(cinfo);
}

void OnJpegOutputMessage(j_common_ptr) {}

void OnJpegProgress(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
    auto* state = reinterpret_cast<JpegErrorState*>(cinfo->err);
    std::snprintf(state->message, sizeof state->message, "Too many scans in the JPEG file");
    Fail(cinfo);
  }
}

bool ReadJpegHeader(j_decompress_ptr cinfo, JpegErrorState* state, const std::uint8_t* data, std::size_t size) {
  if (setjmp(state->jump)) return false;
  jpeg_create_decompress(cinfo);
  jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(cinfo, TRUE);
  return true;
}

// CMYK as Adobe writes it is stored inverted (0 is full ink).
void CmykToBgr(const JSAMPLE* cmyk, std::uint8_t* out, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, out += 3) {
    unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    out[0] = static_cast<std::uint8_t>((y * k + 127) / 255);
    out[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
    out[2] = static_cast<std::uint8_t>((c * k + 127) / 255);
  }
}

bool ReadJpegRows(j_decompress_ptr cinfo, JpegErrorState* state, JSAMPROW* rows, JSAMPROW scratch, int components,
                  bool invertedCmyk) {
  if (setjmp(state->jump)) return false;
  jpeg_start_decompress(cinfo);
  if (cinfo->output_components != components || cinfo->output_width != cinfo->image_width ||
      cinfo->output_height != cinfo->image_height) {
    std::snprintf(state->message, sizeof state->message, "Unexpected JPEG output format");
    return false;
  }
  while (cinfo->output_scanline < cinfo->output_height) {
    const JDIMENSION y = cinfo->output_scanline;
    if (scratch != nullptr) {
      jpeg_read_scanlines(cinfo, &scratch, 1);
      CmykToBgr(scratch, rows[y], cinfo->output_width, invertedCmyk);
    } else {
      jpeg_read_scanlines(cinfo, rows + y, cinfo->output_height - y);
    }
  }
  jpeg_finish_decompress(cinfo);
  return true;
}

struct JpegDecompressor {
  jpeg_decompress_struct cinfo;
  ~JpegDecompressor() { jpeg_destroy_decompress(&cinfo); }  // harmless when creation failed
};

}  // namespace

Result<void> ReadJpeg(Bytes data, CDibImage& out) {
  out.SetNumFrames(1);
  auto state = std::make_unique<JpegErrorState>();
  auto progress = std::make_unique<JpegProgress>();
  auto decompressor = std::make_unique<JpegDecompressor>();
  std::memset(&decompressor->cinfo, 0, sizeof decompressor->cinfo);
  j_decompress_ptr cinfo = &decompressor->cinfo;

  cinfo->err = jpeg_std_error(&state->manager);
  state->manager.error_exit = OnJpegErrorExit;
  state->manager.emit_message = OnJpegMessage;
  state->manager.output_message = OnJpegOutputMessage;
  state->message[0] = '\0';

  if (data.empty()) return Failure{"The JPEG file is empty"};
  if (!ReadJpegHeader(cinfo, state.get(), data.data(), data.size())) return Failure{state->message};
  progress->manager.progress_monitor = OnJpegProgress;
  progress->state = state.get();
  cinfo->progress = &progress->manager;
  cinfo->mem->max_memory_to_use = static_cast<long>(out.GetLimits().maxBlockBytes + (std::size_t{16} << 20));

  int components = 3;
  bool cmyk = false;
  if (cinfo->num_components == 1) {
    cinfo->out_color_space = JCS_GRAYSCALE;
    components = 1;
  } else if (cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK) {
    cinfo->out_color_space = JCS_CMYK;
    components = 4;
    cmyk = true;
  } else {
    cinfo->out_color_space = JCS_EXT_BGR;  // the bitmap's own order, with no pass of our own
  }
  const auto width = cinfo->image_width;
  const auto height = cinfo->image_height;
  if (width > static_cast<JDIMENSION>(out.GetLimits().maxSide) ||
      height > static_cast<JDIMENSION>(out.GetLimits().maxSide)) {
    return Failure{"Picture too large"};
  }
  if (auto created = out.Create(static_cast<int>(width), static_cast<int>(height), components == 1 ? 8 : 24);
      !created.ok())
    return created;
  if (components == 1) SetGreyPalette(out, 256);

  std::vector<JSAMPROW> rows(height);
  for (JDIMENSION y = 0; y < height; ++y) rows[y] = out.ScanLine(static_cast<int>(y));
  std::vector<JSAMPLE> scratch(cmyk ? static_cast<std::size_t>(width) * 4 : 0);
  if (!ReadJpegRows(cinfo, state.get(), rows.data(), cmyk ? scratch.data() : nullptr, components,
                    cmyk && cinfo->saw_Adobe_marker)) {
    return Failure{state->message};
  }
  return {};
}

}  // namespace kalvory::image_readers
