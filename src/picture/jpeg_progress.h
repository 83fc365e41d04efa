// When a JPEG decode reports its progress, and what it reports: at most one report per 500 ms,
// none while the percentage has not moved, and a request to redraw once at least 4 new rows
// are ready.
#pragma once

#include <cstdint>
#include <optional>

#include "picture/graphic.h"

namespace tavilune {

// The library's progress facts at one of its progress calls.
struct JpegProgressFacts {
  long passCounter = 0;
  long passLimit = 0;
  int completedPasses = 0;
  int totalPasses = 0;
  std::uint32_t outputScanline = 0;
  std::uint32_t outputWidth = 0;
  std::uint32_t outputHeight = 0;
};

class JpegProgressMonitor {
 public:
  static constexpr std::uint32_t kIntervalMs = 500;
  static constexpr std::int32_t kRedrawRows = 4;

  // The running report to send for this call, if any.
  std::optional<ProgressEvent> OnProgress(const JpegProgressFacts& facts, std::uint32_t now);

 private:
  bool started_ = false;
  std::uint32_t lastReport_ = 0;
  int lastPercent_ = 0;
  std::uint32_t lastRow_ = 0;
};

}  // namespace tavilune
