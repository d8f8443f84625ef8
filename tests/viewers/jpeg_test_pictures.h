#pragma once
// Pictures and JPEG files made for the JPEG tests: a smooth photo-like 24-bit picture, its
// compressed forms, and header surgery for malformed files.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "framework/dib.h"
#include "framework/stream.h"
#include "viewers/jpeg_data.h"

namespace tw::test {

// Smooth colour gradients with a few soft shapes: what JPEG is made for, so that decoded
// pixels stay close to the original.
inline TDib PhotoLikeDib(int width, int height) {
  TDib dib(width, height, 24);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = dib.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      const double fx = static_cast<double>(x) / width;
      const double fy = static_cast<double>(y) / height;
      const double wave = 0.5 + 0.5 * std::sin(6.0 * fx + 4.0 * fy);
      row[3 * x + 0] = static_cast<std::uint8_t>(40 + 180 * fy);             // blue
      row[3 * x + 1] = static_cast<std::uint8_t>(30 + 200 * wave);           // green
      row[3 * x + 2] = static_cast<std::uint8_t>(20 + 210 * (1.0 - fx));     // red
    }
  }
  return dib;
}

inline std::vector<std::uint8_t> Bytes(const TJPEGData& data) { return data.Data()->Bytes(); }

// PICTURE compressed with the given settings, as file bytes.
inline std::vector<std::uint8_t> JpegFile(const TDib& picture, bool gray = false, bool progressive = false,
                                          int quality = 90) {
  TJPEGSettings settings;
  settings.GrayOutput = gray;
  settings.WriteProgressive = progressive;
  settings.Quality = quality;
  return Bytes(*TJPEGData::Compress(picture, settings));
}

inline TSharedImageRef<TJPEGData> Loaded(const std::vector<std::uint8_t>& file) {
  TSharedImageRef<TJPEGData> data(new TJPEGData);
  TMemoryStream stream(file);
  data->LoadFromStream(stream);
  return data;
}

// FILE with the frame header's height and width replaced.
inline std::vector<std::uint8_t> WithFrameSize(std::vector<std::uint8_t> file, int width, int height) {
  for (std::size_t i = 2; i + 9 < file.size(); ++i) {
    if (file[i] == 0xFF && (file[i + 1] == 0xC0 || file[i + 1] == 0xC2)) {
      file[i + 5] = static_cast<std::uint8_t>(height >> 8);
      file[i + 6] = static_cast<std::uint8_t>(height);
      file[i + 7] = static_cast<std::uint8_t>(width >> 8);
      file[i + 8] = static_cast<std::uint8_t>(width);
      return file;
    }
  }
  std::abort();
}

// Mean and largest difference of the colour channels of two 24-bit pictures of one size.
struct Difference {
  double mean = 0;
  int largest = 0;
};

inline Difference Compare(const TDib& a, const TDib& b) {
  Difference d;
  long long sum = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      const std::uint32_t ca = a.PixelColor(x, y);
      const std::uint32_t cb = b.PixelColor(x, y);
      for (int shift = 0; shift < 24; shift += 8) {
        const int diff = std::abs(static_cast<int>((ca >> shift) & 0xFF) - static_cast<int>((cb >> shift) & 0xFF));
        sum += diff;
        if (diff > d.largest) d.largest = diff;
      }
    }
  d.mean = static_cast<double>(sum) / (3.0 * a.Width() * a.Height());
  return d;
}

}  // namespace tw::test
