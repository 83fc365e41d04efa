#include "picture/jpeg_decompressor.h"

#include <algorithm>
#include <cstddef>
#include <type_traits>
#include <utility>

#include "platform/exceptions.h"

namespace tavilune {

std::string JpegErrorMessage(int messageCode) {
  return u8"JPEG エラー #" + std::to_string(messageCode);
}

JpegDecompressor::JpegDecompressor(std::span<const std::uint8_t> bytes) {
  state_.owner = this;
  state_.info.err = jpeg_std_error(&state_.errorManager);
  state_.errorManager.error_exit = &ErrorExit;
  state_.errorManager.emit_message = &EmitMessage;
  state_.errorManager.output_message = &OutputMessage;
  struct Source {
    const std::uint8_t* data;
    std::size_t size;
  } source{bytes.data(), bytes.size()};
  try {
    Run(
        [](State& state, void* argument) {
          const auto* from = static_cast<const Source*>(argument);
          jpeg_create_decompress(&state.info);
          jpeg_mem_src(&state.info, from->data, static_cast<unsigned long>(from->size));
        },
        &source);
  } catch (...) {
    // The destructor does not run for an object whose construction failed.
    jpeg_destroy_decompress(&state_.info);
    throw;
  }
}

JpegDecompressor::~JpegDecompressor() { jpeg_destroy_decompress(&state_.info); }

void JpegDecompressor::SetProgressHook(ProgressHook hook) {
  progressHook_ = std::move(hook);
  state_.progressManager.progress_monitor = &ProgressCall;
  state_.info.progress = &state_.progressManager;
}

void JpegDecompressor::SaveMetadataMarkers() {
  Run([](State& state, void*) {
    // 0xFFFF: the longest marker there can be, so none is cut short.
    for (int code : {kJpegApp1, kJpegApp2, kJpegApp14}) {
      jpeg_save_markers(&state.info, code, 0xFFFF);
    }
  });
}

std::vector<JpegMarker> JpegDecompressor::Markers() const {
  std::vector<JpegMarker> markers;
  for (jpeg_saved_marker_ptr m = state_.info.marker_list; m != nullptr; m = m->next) {
    markers.push_back(
        JpegMarker{m->marker, std::span<const std::uint8_t>(m->data, m->data_length)});
  }
  return markers;
}

void JpegDecompressor::ReadHeader() {
  Run([](State& state, void*) { jpeg_read_header(&state.info, TRUE); });
}

bool JpegDecompressor::HasMultipleScans() {
  bool multiple = false;
  Run(
      [](State& state, void* result) {
        *static_cast<bool*>(result) = jpeg_has_multiple_scans(&state.info) != FALSE;
      },
      &multiple);
  return multiple;
}

void JpegDecompressor::CalcOutputDimensions() {
  Run([](State& state, void*) { jpeg_calc_output_dimensions(&state.info); });
}

void JpegDecompressor::Start() {
  Run([](State& state, void*) { jpeg_start_decompress(&state.info); });
}

JDIMENSION JpegDecompressor::ReadScanlines(JSAMPARRAY rows, JDIMENSION rowCount) {
  struct Request {
    JSAMPARRAY rows;
    JDIMENSION count;
    JDIMENSION read;
  } request{rows, rowCount, 0};
  Run(
      [](State& state, void* argument) {
        auto* r = static_cast<Request*>(argument);
        r->read = jpeg_read_scanlines(&state.info, r->rows, r->count);
      },
      &request);
  return request.read;
}

void JpegDecompressor::Finish() {
  Run([](State& state, void*) { jpeg_finish_decompress(&state.info); });
}

bool JpegDecompressor::InputComplete() {
  bool complete = false;
  Run([](State& state,
         void* result) { *static_cast<bool*>(result) = jpeg_input_complete(&state.info) != FALSE; },
      &complete);
  return complete;
}

void JpegDecompressor::StartOutput(int scanNumber) {
  Run([](State& state, void* scan) { jpeg_start_output(&state.info, *static_cast<int*>(scan)); },
      &scanNumber);
}

void JpegDecompressor::FinishOutput() {
  Run([](State& state, void*) { jpeg_finish_output(&state.info); });
}

// The only place that arms the jump. Nothing here has a destructor, and the step's frames are
// plain functions and the library's C code, so a jump back skips no cleanup.
bool JpegDecompressor::Guarded(State& state, Step step, void* argument) {
  if (setjmp(state.jump) != 0) return false;
  step(state, argument);
  return true;
}

void JpegDecompressor::Run(Step step, void* argument) {
  state_.messageCode = 0;
  if (Guarded(state_, step, argument)) return;
  if (pending_) {
    std::exception_ptr failure = std::exchange(pending_, nullptr);
    std::rethrow_exception(failure);
  }
  throw EJPEG(JpegErrorMessage(state_.messageCode));
}

bool JpegDecompressor::RunProgressHook() noexcept {
  try {
    if (progressHook_) progressHook_(state_.info);
    return true;
  } catch (...) {
    pending_ = std::current_exception();
    return false;
  }
}

void JpegDecompressor::ErrorExit(j_common_ptr info) {
  // The library's callbacks get a pointer to the decompressor, the state's first member.
  static_assert(std::is_standard_layout_v<State> && offsetof(State, info) == 0);
  auto* state = reinterpret_cast<State*>(info);
  state->messageCode = info->err->msg_code;
  std::longjmp(state->jump, 1);
}

// Warnings and trace messages are not shown; the library goes on as well as it can.
void JpegDecompressor::EmitMessage(j_common_ptr, int) {}
void JpegDecompressor::OutputMessage(j_common_ptr) {}

void JpegDecompressor::ProgressCall(j_common_ptr info) {
  auto* state = reinterpret_cast<State*>(info);
  if (!state->owner->RunProgressHook()) std::longjmp(state->jump, 1);
}

namespace {

std::uint64_t DivideRoundingUp(std::uint64_t value, std::uint64_t divisor) {
  return (value + divisor - 1) / divisor;
}

std::uint64_t RoundUp(std::uint64_t value, std::uint64_t multiple) {
  return DivideRoundingUp(value, multiple) * multiple;
}

}  // namespace

std::uint64_t JpegWholePictureBufferBytes(const jpeg_decompress_struct& info, bool multipleScans) {
  std::uint64_t bytes = 0;
  const std::uint64_t maxH = std::max(info.max_h_samp_factor, 1);
  const std::uint64_t maxV = std::max(info.max_v_samp_factor, 1);
  if (multipleScans || info.buffered_image) {
    // The blocks of each component as the library counts them from the frame header, each side
    // rounded up to whole groups of the component's sampling factor, as its coefficient buffer
    // asks for them.
    for (int i = 0; i < info.num_components; ++i) {
      const jpeg_component_info& component = info.comp_info[i];
      const std::uint64_t h = std::max(component.h_samp_factor, 1);
      const std::uint64_t v = std::max(component.v_samp_factor, 1);
      const std::uint64_t across = DivideRoundingUp(info.image_width * h, maxH * DCTSIZE);
      const std::uint64_t down = DivideRoundingUp(info.image_height * v, maxV * DCTSIZE);
      bytes += RoundUp(across, h) * RoundUp(down, v) * sizeof(JBLOCK);
    }
  }
  if (info.quantize_colors && info.two_pass_quantize && info.colormap == nullptr &&
      info.out_color_components == 3) {
    // The quantiser chooses its colours from the whole picture first, so every colour row is
    // kept until the second pass maps it, in strips of a full row group.
    bytes += std::uint64_t{info.output_width} * 3 * RoundUp(info.output_height, maxV * DCTSIZE);
  }
  return bytes;
}

JpegHeaderFacts ReadJpegHeaderFacts(JpegDecompressor& decompressor) {
  decompressor.SaveMetadataMarkers();
  decompressor.ReadHeader();
  const jpeg_decompress_struct& info = decompressor.Info();
  JpegHeaderFacts facts;
  facts.width = static_cast<std::int32_t>(info.image_width);
  facts.height = static_cast<std::int32_t>(info.image_height);
  facts.grayscale = info.jpeg_color_space == JCS_GRAYSCALE;
  facts.multipleScans = decompressor.HasMultipleScans();
  facts.metadata = ReadJpegMetadata(decompressor.Markers());
  return facts;
}

}  // namespace tavilune
