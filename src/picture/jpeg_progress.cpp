#include "picture/jpeg_progress.h"

namespace tavilune {

std::optional<ProgressEvent> JpegProgressMonitor::OnProgress(const JpegProgressFacts& facts,
                                                             std::uint32_t now) {
  if (!started_) {
    started_ = true;
    lastReport_ = now;
    return std::nullopt;
  }
  // Unsigned difference: right across the tick count's wrap-around too.
  if (now - lastReport_ < kIntervalMs) return std::nullopt;

  double passes = facts.completedPasses;
  if (facts.passLimit > 0) passes += static_cast<double>(facts.passCounter) / facts.passLimit;
  const int percent =
      facts.totalPasses > 0 ? static_cast<int>(100.0 * passes / facts.totalPasses) : 0;
  if (percent == lastPercent_) return std::nullopt;

  // The rows made since the last report; a row above the last one means a new pass began, whose
  // rows may reach down to the bottom.
  const std::uint32_t bottom =
      facts.outputScanline < lastRow_ ? facts.outputHeight : facts.outputScanline;
  ProgressEvent event;
  event.stage = ProgressStage::kRunning;
  event.percentDone = static_cast<std::uint8_t>(percent < 0 ? 0 : percent > 255 ? 255 : percent);
  event.r = Rect{0, static_cast<std::int32_t>(lastRow_),
                 static_cast<std::int32_t>(facts.outputWidth), static_cast<std::int32_t>(bottom)};
  event.redrawNow = event.r.Height() >= kRedrawRows;

  lastReport_ = now;
  lastPercent_ = percent;
  lastRow_ = facts.outputScanline;
  return event;
}

}  // namespace tavilune
