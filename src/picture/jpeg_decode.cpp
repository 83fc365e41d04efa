// DecodeJpeg: the decoded bitmap of a JPEG picture, made on first need.
#include <algorithm>
#include <cstdint>
#include <exception>
#include <utility>
#include <vector>

#include "picture/icc_profile.h"
#include "picture/jpeg_cmyk.h"
#include "picture/jpeg_decompressor.h"
#include "picture/jpeg_image.h"
#include "picture/jpeg_orientation.h"
#include "picture/jpeg_progress.h"
#include "platform/exceptions.h"

namespace tavilune {

namespace {

constexpr int kQuantizedColors = 236;

bool IsCmyk(const jpeg_decompress_struct& info) {
  return info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
}

void SetDecodeParameters(jpeg_decompress_struct& info, const JpegSettings& settings) {
  info.scale_num = 1;
  info.scale_denom = 1u << static_cast<unsigned>(settings.scale);
  info.do_block_smoothing = settings.smoothing ? TRUE : FALSE;
  if (settings.grayscale) info.out_color_space = JCS_GRAYSCALE;
  // Bitmap rows hold blue, green, red; the library writes them so itself. CMYK and YCCK files
  // come out as CMYK samples (the library undoes YCCK), which the program converts; the library
  // cannot choose a colour map for four samples, so their 8-bit pictures use a fixed one.
  if (info.out_color_space != JCS_GRAYSCALE) {
    info.out_color_space = IsCmyk(info) ? JCS_CMYK : JCS_EXT_BGR;
  }
  if ((settings.pixelFormat == JpegPixelFormat::k8Bit && info.out_color_space != JCS_CMYK) ||
      info.out_color_space == JCS_GRAYSCALE) {
    info.quantize_colors = TRUE;
    info.desired_number_of_colors = kQuantizedColors;
  }
  if (settings.performance == JpegPerformance::kBestSpeed) {
    info.dct_method = JDCT_IFAST;
    info.two_pass_quantize = FALSE;
    info.dither_mode = JDITHER_ORDERED;
  } else {
    info.dct_method = JDCT_FLOAT;
  }
}

// Sets the decode of a file whose header has been read up as the settings ask, up to the output
// dimensions; whether the file is spread over several scans.
bool PrepareDecode(JpegDecompressor& decompressor, const JpegSettings& settings) {
  jpeg_decompress_struct& info = decompressor.Info();
  SetDecodeParameters(info, settings);
  const bool multipleScans = decompressor.HasMultipleScans();
  if (settings.progressiveDisplay && multipleScans) info.buffered_image = TRUE;
  decompressor.CalcOutputDimensions();
  return multipleScans;
}

// Whether the prepared decode's bitmap and the library's own whole-picture buffers (a
// progressive file's coefficients are twice its samples) fit the pixel memory bound together.
// Checked before the library sets any of them up, so that a picture too large for the machine
// is refused for want of memory rather than failing half-way in the library.
bool PreparedDecodeFitsMemory(const jpeg_decompress_struct& info, bool multipleScans) {
  const std::uint32_t bitCount = info.quantize_colors ? 8 : 24;
  if (!Dib::LayoutAllowed(info.output_width, info.output_height, bitCount)) return false;
  const std::uint64_t bitmapBytes = Dib::RowBytes(info.output_width, bitCount) * info.output_height;
  return bitmapBytes + JpegWholePictureBufferBytes(info, multipleScans) <=
         PixelMemoryBound(Memory());
}

JpegProgressFacts ProgressFactsOf(const jpeg_decompress_struct& info) {
  JpegProgressFacts facts;
  if (info.progress != nullptr) {
    facts.passCounter = info.progress->pass_counter;
    facts.passLimit = info.progress->pass_limit;
    facts.completedPasses = info.progress->completed_passes;
    facts.totalPasses = info.progress->total_passes;
  }
  facts.outputScanline = info.output_scanline;
  facts.outputWidth = info.output_width;
  facts.outputHeight = info.output_height;
  return facts;
}

// The colour table and palette of an 8-bit result, from the quantiser's colour map (components in
// blue, green, red order for colour output, one grey component otherwise), turned through the
// picture's profile when it has one.
void ApplyColorMap(TBitmap& bitmap, const jpeg_decompress_struct& info, ColorTransform* profile) {
  const int count = std::clamp(info.actual_number_of_colors, 0, 256);
  const bool grey = info.out_color_components == 1;
  std::vector<RgbQuad> table(static_cast<std::size_t>(count));
  Palette palette;
  palette.entries.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const std::uint8_t blue = info.colormap[0][i];
    const std::uint8_t green = grey ? blue : info.colormap[1][i];
    const std::uint8_t red = grey ? blue : info.colormap[2][i];
    table[static_cast<std::size_t>(i)] = RgbQuad{blue, green, red, 0};
  }
  if (profile != nullptr) {
    TranslateColorTable(*profile, grey ? PixelLayout::kGray8 : PixelLayout::kBgrx32, table);
  }
  for (int i = 0; i < count; ++i) {
    const RgbQuad& c = table[static_cast<std::size_t>(i)];
    palette.entries[static_cast<std::size_t>(i)] = PaletteEntry{c.red, c.green, c.blue, 0};
  }
  bitmap.SetColorTable(std::move(table));
  bitmap.SetPalette(std::move(palette));
}

// The colour table and palette of an 8-bit picture of a CMYK file: a fixed colour cube.
void ApplyColourCube(TBitmap& bitmap) {
  std::vector<RgbQuad> table = ColourCubeTable();
  Palette palette;
  for (const RgbQuad& c : table) palette.entries.push_back({c.red, c.green, c.blue, 0});
  bitmap.SetColorTable(std::move(table));
  bitmap.SetPalette(std::move(palette));
}

// Where the decoded rows go. A picture shown as stored whose samples are the bitmap's own is read
// straight into the bitmap's rows; otherwise rows are read into a band of rows, converted
// there in place (CMYK to blue, green, red, and to colour-cube indices for 8 bits), and written
// into their turned places. The band is small next to the bitmap, and tall enough that a turned
// row's pixels land in the bitmap in runs rather than one by one.
struct RowTarget {
  // Up to 64 rows, as many as fit in 1 MiB (at least 8): the more rows, the longer the runs.
  static constexpr std::int32_t kMaxBandRows = 64;
  static constexpr std::int32_t kMinBandRows = 8;
  static constexpr std::size_t kBandBytes = std::size_t{1} << 20;

  TBitmap* bitmap = nullptr;
  PictureOrientation orientation;
  CmykRowConverter cmyk;  // set for CMYK samples
  // The picture's own colours turned into the display's: blue, green, red rows as they are
  // decoded, or the colour table of an 8-bit picture.
  std::unique_ptr<ColorTransform> profile;
  bool cubeIndices = false;
  // Rows of the current pass that are in the bitmap already.
  std::uint32_t placedRows = 0;

  bool Direct() const { return orientation.AsStored() && !cmyk; }
  // A decoded row of blue, green, red turned into the display's colours (an 8-bit picture's
  // colours are turned in its colour table instead).
  void TurnColours(const jpeg_decompress_struct& info, JSAMPROW row) const {
    if (!profile || info.quantize_colors) return;
    profile->Translate(row, 3 * info.output_width, row, 3 * info.output_width, info.output_width,
                       1);
  }
};

void ReadRowsDirect(JpegDecompressor& decompressor, RowTarget& target) {
  jpeg_decompress_struct& info = decompressor.Info();
  TBitmap& bitmap = *target.bitmap;
  const std::ptrdiff_t step = bitmap.RowStep();
  const JDIMENSION group =
      step > 0 && step % 4 == 0 ? static_cast<JDIMENSION>(std::max(info.rec_outbuf_height, 1)) : 1;
  std::vector<JSAMPROW> rows(group);
  while (info.output_scanline < info.output_height) {
    const JDIMENSION first = info.output_scanline;
    const JDIMENSION count = std::min(group, info.output_height - first);
    for (JDIMENSION i = 0; i < count; ++i) {
      rows[i] = bitmap.ScanLine(static_cast<std::int32_t>(first + i));
    }
    // The source holds the whole file, so the library never suspends; a call that delivers
    // nothing would only repeat itself.
    const JDIMENSION read = decompressor.ReadScanlines(rows.data(), count);
    for (JDIMENSION i = 0; i < read; ++i) target.TurnColours(info, rows[i]);
    target.placedRows = first + read;
    if (read == 0) break;
  }
}

void ReadRowsInBands(JpegDecompressor& decompressor, RowTarget& target) {
  jpeg_decompress_struct& info = decompressor.Info();
  const auto width = static_cast<std::int32_t>(info.output_width);
  const auto height = static_cast<std::int32_t>(info.output_height);
  const std::size_t rowBytes = static_cast<std::size_t>(info.output_width) *
                               static_cast<std::size_t>(info.output_components);
  const auto bandRows = static_cast<std::int32_t>(
      std::clamp<std::size_t>(RowTarget::kBandBytes / std::max<std::size_t>(rowBytes, 1),
                              RowTarget::kMinBandRows, RowTarget::kMaxBandRows));
  std::vector<std::uint8_t> band(rowBytes * static_cast<std::size_t>(bandRows));
  std::vector<JSAMPROW> rows(static_cast<std::size_t>(bandRows));
  for (std::int32_t i = 0; i < bandRows; ++i) rows[i] = band.data() + i * rowBytes;
  const int bytesPerPixel = target.cubeIndices || info.output_components == 1 ? 1 : 3;
  // Converts the band's rows and writes them into their places.
  auto place = [&](std::int32_t first, std::int32_t filled) {
    for (std::int32_t i = 0; i < filled; ++i) {
      if (target.cmyk) target.cmyk(rows[i], rows[i], info.output_width);
      target.TurnColours(info, rows[i]);
      if (target.cubeIndices) BgrToCubeIndices(rows[i], rows[i], info.output_width);
    }
    target.orientation.PlaceRows(*target.bitmap, width, height, first, filled, band.data(),
                                 static_cast<std::ptrdiff_t>(rowBytes), bytesPerPixel);
    target.placedRows = static_cast<std::uint32_t>(first + filled);
  };
  bool stalled = false;
  while (!stalled && info.output_scanline < info.output_height) {
    const auto first = static_cast<std::int32_t>(info.output_scanline);
    const std::int32_t wanted = std::min(bandRows, height - first);
    std::int32_t filled = 0;
    try {
      while (filled < wanted) {
        const JDIMENSION read = decompressor.ReadScanlines(
            rows.data() + filled, static_cast<JDIMENSION>(wanted - filled));
        if (read == 0) {
          stalled = true;
          break;
        }
        filled += static_cast<std::int32_t>(read);
      }
    } catch (...) {
      // A decode that fails part way keeps the rows made so far, in the band too.
      place(first, filled);
      throw;
    }
    place(first, filled);
  }
}

void ReadRows(JpegDecompressor& decompressor, RowTarget& target) {
  target.placedRows = 0;
  if (target.Direct()) {
    ReadRowsDirect(decompressor, target);
  } else {
    ReadRowsInBands(decompressor, target);
  }
}

// Progressive display: one output pass over the whole bitmap for each scan as it arrives, with
// the fast transform, so that a coarse picture shows early; the last pass, once all input is
// in, uses the transform of the settings. The passes write the same rows over and over.
void ReadPasses(JpegDecompressor& decompressor, RowTarget& target, J_DCT_METHOD finalMethod) {
  jpeg_decompress_struct& info = decompressor.Info();
  for (;;) {
    const bool last = decompressor.InputComplete();
    info.dct_method = last ? finalMethod : JDCT_IFAST;
    // The early passes keep the colours chosen from the first, coarse pass; the last one has
    // the two-pass quantiser choose afresh from the finished picture.
    if (last && info.quantize_colors && info.two_pass_quantize) info.colormap = nullptr;
    decompressor.StartOutput(info.input_scan_number);
    if (info.quantize_colors) ApplyColorMap(*target.bitmap, info, target.profile.get());
    ReadRows(decompressor, target);
    decompressor.FinishOutput();
    if (last) return;
  }
}

}  // namespace

bool TJPEGImage::DecodeFitsMemory(JpegDecompressor& decompressor, const JpegSettings& settings) {
  const bool multipleScans = PrepareDecode(decompressor, settings);
  return PreparedDecodeFitsMemory(decompressor.Info(), multipleScans);
}

TBitmap& TJPEGImage::DecodeJpeg() {
  if (bitmap_) return *bitmap_;
  bitmap_ = std::make_shared<TBitmap>();
  // Held here too, so that a progress listener that reloads this picture cannot free the rows
  // or bytes the library is working on.
  const std::shared_ptr<TBitmap> bitmap = bitmap_;
  const std::shared_ptr<const TJPEGData> data = data_;
  if (data->bytes.empty()) return *bitmap;

  JpegDecompressor decompressor(data->bytes);
  JpegProgressMonitor monitor;
  RowTarget target;
  target.bitmap = bitmap.get();
  target.orientation = PictureOrientation(data->metadata.orientation);
  // Rows of a band reach the bitmap only when the band is full: a report names, besides the
  // rows decoded since the last one, those that were still in the band then.
  std::uint32_t placedAtLastReport = 0;
  decompressor.SetProgressHook(
      [this, &monitor, &target, &placedAtLastReport](const jpeg_decompress_struct& info) {
        if (auto event = monitor.OnProgress(ProgressFactsOf(info), ticks_())) {
          Rect r = event->r;
          if (!target.Direct()) {
            r.top = std::min(r.top, static_cast<std::int32_t>(placedAtLastReport));
            placedAtLastReport = target.placedRows;
          }
          r = target.orientation.Shown(r, static_cast<std::int32_t>(info.output_width),
                                       static_cast<std::int32_t>(info.output_height));
          Progress(event->stage, event->percentDone, event->redrawNow, r);
        }
      });
  decompressor.ReadHeader();
  const bool multipleScans = PrepareDecode(decompressor, settings_);
  jpeg_decompress_struct& info = decompressor.Info();
  const J_DCT_METHOD finalMethod = info.dct_method;
  const bool progressive = info.buffered_image != FALSE;
  ColorManagement* const colors = ColorManagementInUse();
  if (info.out_color_space == JCS_CMYK) {
    target.cmyk = CmykConverterFor(data->metadata, colors);
    target.cubeIndices = settings_.pixelFormat == JpegPixelFormat::k8Bit;
  } else if (colors != nullptr && !data->metadata.iccProfile.empty()) {
    // Grey pictures are 8-bit, their grey levels the colour table's entries.
    const PixelLayout samples = !info.quantize_colors            ? PixelLayout::kBgr24
                                : info.out_color_components == 1 ? PixelLayout::kGray8
                                                                 : PixelLayout::kBgrx32;
    target.profile = ProfileTransform(*colors, data->metadata.iccProfile, samples);
  }
  // A CMYK picture's own profile is used where the system takes it, which is the usual case.
  bitmap->SetTurnedForDisplay(target.profile != nullptr || (target.cmyk && colors != nullptr &&
                                                            !data->metadata.iccProfile.empty()));
  const bool eightBit = info.quantize_colors != FALSE || target.cubeIndices;

  std::exception_ptr failure;
  try {
    Progress(ProgressStage::kStarting, 0, false, Rect{});
    // A halftone palette stood in for the true-colour picture until now.
    temporaryPalette_.reset();
    if (!PreparedDecodeFitsMemory(info, multipleScans)) throw EOutOfMemory(u8"メモリが足りません");
    decompressor.Start();
    const int rowComponents = target.cmyk ? 4 : info.quantize_colors ? 1 : 3;
    if (info.output_components != rowComponents) {
      throw EJPEG(JpegErrorMessage(JERR_CONVERSION_NOTIMPL));
    }
    const auto storedWidth = static_cast<std::int32_t>(info.output_width);
    const auto storedHeight = static_cast<std::int32_t>(info.output_height);
    bitmap->SetSize(target.orientation.ShownWidth(storedWidth, storedHeight),
                    target.orientation.ShownHeight(storedWidth, storedHeight),
                    eightBit ? PixelFormat::k8Bit : PixelFormat::k24Bit);
    if (target.cubeIndices) {
      ApplyColourCube(*bitmap);
      SetPaletteModified(true);
    } else if (eightBit) {
      // In progressive display the passes make their colour maps as they start.
      if (!progressive) ApplyColorMap(*bitmap, info, target.profile.get());
      SetPaletteModified(true);
    }
    if (progressive) {
      ReadPasses(decompressor, target, finalMethod);
    } else {
      ReadRows(decompressor, target);
    }
    decompressor.Finish();
  } catch (...) {
    failure = std::current_exception();
  }

  Progress(ProgressStage::kEnding, failure ? 0 : 100, PaletteModified(), Rect{});
  if (PaletteModified()) Changed();
  if (failure) {
    try {
      std::rethrow_exception(failure);
    } catch (const EAbort&) {
      // Stopped on purpose by a listener: no message.
    }
  }
  // A listener reloaded the picture meanwhile: what it holds now is what is wanted.
  if (bitmap_ != bitmap) return DecodeJpeg();
  return *bitmap;
}

}  // namespace tavilune
