// One libjpeg decompressor over bytes in memory, with the program's error handling.
//
// libjpeg is C and reports a fatal error by calling its error exit, which must not return. Here
// every library call runs inside one small guard function that arms setjmp; the error exit jumps
// back to it, and the failure is raised as a C++ exception only after the guard has returned.
// Nothing with a destructor lives between the guard and the library, so the jump skips no
// cleanup. A progress hook (a C++ callback that may throw, for instance EAbort) is run the same
// way: its exception is caught at the library's edge, carried over the jump and raised again.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "picture/jpeg_library.h"
#include "picture/jpeg_markers.h"

namespace tavilune {

// What the header tells without decoding any pixels.
struct JpegHeaderFacts {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool grayscale = false;      // the file's colour space is grayscale
  bool multipleScans = false;  // progressive or otherwise spread over several scans
  JpegMetadata metadata;       // orientation, colour profile, Adobe marker
};

// Bytes libjpeg holds for the whole picture, besides the output rows, while it decodes with the
// parameters now set in `info` (read them once the output dimensions are calculated): all the
// coefficients of a file spread over several scans, at full size whatever the output scale, and
// the two-pass quantiser's copy of the colour picture.
std::uint64_t JpegWholePictureBufferBytes(const jpeg_decompress_struct& info, bool multipleScans);

// The message of a fatal libjpeg error ("JPEG エラー #%d").
std::string JpegErrorMessage(int messageCode);

class JpegDecompressor {
 public:
  // Called on each of the library's progress calls while a progress hook is set.
  using ProgressHook = std::function<void(const jpeg_decompress_struct& info)>;

  // Creates the decompressor and points its source at bytes (kept by the caller for the
  // decompressor's life). Raises EJPEG.
  explicit JpegDecompressor(std::span<const std::uint8_t> bytes);
  ~JpegDecompressor();
  JpegDecompressor(const JpegDecompressor&) = delete;
  JpegDecompressor& operator=(const JpegDecompressor&) = delete;

  // Attaches a progress monitor that runs the hook.
  void SetProgressHook(ProgressHook hook);

  // The library's state: parameters are set and output facts read directly here.
  jpeg_decompress_struct& Info() { return state_.info; }

  // Each of these raises EJPEG on a fatal library error, or whatever the progress hook raised.
  // Keeps the EXIF, colour profile and Adobe markers that the next ReadHeader meets, whole, for
  // Markers() to give out until the decompressor is destroyed.
  void SaveMetadataMarkers();
  void ReadHeader();  // an image is required
  bool HasMultipleScans();
  void CalcOutputDimensions();
  void Start();
  // Reads up to rowCount output rows into rows; returns how many were read.
  JDIMENSION ReadScanlines(JSAMPARRAY rows, JDIMENSION rowCount);
  void Finish();
  // Buffered-image mode: whether all input has been read, and one output pass showing the
  // scans read up to scanNumber.
  bool InputComplete();
  void StartOutput(int scanNumber);
  void FinishOutput();

  // The markers kept by SaveMetadataMarkers, in file order, pointing into the library's memory.
  std::vector<JpegMarker> Markers() const;

 private:
  // Plain data shared with the library's callbacks: the decompressor, its error manager with the
  // jump target, and its progress manager.
  struct State {
    jpeg_decompress_struct info;
    jpeg_error_mgr errorManager;
    jpeg_progress_mgr progressManager;
    std::jmp_buf jump;
    int messageCode;
    JpegDecompressor* owner;
  };

  using Step = void (*)(State& state, void* argument);

  // Runs one step with the error exit armed; false when the step failed.
  static bool Guarded(State& state, Step step, void* argument);
  // Runs the step and raises its failure, if any, as a C++ exception.
  void Run(Step step, void* argument = nullptr);
  // Runs the hook for the library's progress call; false when it raised (kept in pending_).
  bool RunProgressHook() noexcept;

  static void ErrorExit(j_common_ptr info);
  static void EmitMessage(j_common_ptr info, int level);
  static void OutputMessage(j_common_ptr info);
  static void ProgressCall(j_common_ptr info);

  State state_{};
  ProgressHook progressHook_;
  std::exception_ptr pending_;
};

// Reads only the header of a JPEG held in memory (at least one byte), with the application markers
// before the image (EXIF, colour profile, Adobe), through a decompressor made for its bytes, which
// is then ready for the decode's parameters. Raises EJPEG with the library's message code for a
// file that is not a JPEG or whose header is damaged; damaged metadata raises nothing.
JpegHeaderFacts ReadJpegHeaderFacts(JpegDecompressor& decompressor);

}  // namespace tavilune
