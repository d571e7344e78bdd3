#pragma once
// The system's fixed sizes of window parts, in pixels.
namespace tamber {

// Indexes of the metrics the add-on reads.
namespace metric {
constexpr int kFixedFrameWidth = 7;  // border of a fixed-size window, horizontally
constexpr int kFixedFrameHeight = 8; // and vertically
} // namespace metric

class SystemMetrics {
  public:
    virtual ~SystemMetrics() = default;
    // The metric's value in pixels; 0 for an index the system does not know.
    virtual int Metric(int index) = 0;
};

} // namespace tamber
