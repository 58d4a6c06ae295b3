#include "pdf/filters/Predictor.h"

#include "pdf/ObjectText.h"

#include <algorithm>
#include <cstdlib>

namespace scrivlet::pdf {

namespace {

uint8_t Paeth(int left, int above, int upperLeft) {
  int p = left + above - upperLeft;
  int pa = std::abs(p - left), pb = std::abs(p - above), pc = std::abs(p - upperLeft);
  if (pa <= pb && pa <= pc)
    return static_cast<uint8_t>(left);
  if (pb <= pc)
    return static_cast<uint8_t>(above);
  return static_cast<uint8_t>(upperLeft);
}

// Bytes per row from the parameters, bounded so that no product overflows
// and no row is larger than the data.
size_t RowBytes(const PredictorParams& params, size_t dataSize) {
  int64_t colors = std::clamp<int64_t>(params.Colors, 1, 64);
  int64_t bits = std::clamp<int64_t>(params.BitsPerComponent, 1, 16);
  int64_t columns = std::clamp<int64_t>(params.Columns, 1, int64_t{1} << 32);
  int64_t rowBits = colors * bits * columns;
  auto bytes = static_cast<uint64_t>((rowBits + 7) / 8);
  return static_cast<size_t>(std::min<uint64_t>(bytes, std::max<size_t>(dataSize, 1)));
}

size_t PixelBytes(const PredictorParams& params) {
  int64_t colors = std::clamp<int64_t>(params.Colors, 1, 64);
  int64_t bits = std::clamp<int64_t>(params.BitsPerComponent, 1, 16);
  return static_cast<size_t>(std::max<int64_t>(1, (colors * bits + 7) / 8));
}

std::string UndoPng(std::string_view data, size_t rowBytes, size_t pixelBytes) {
  std::string out;
  out.reserve(data.size());
  std::string above(rowBytes, '\0');
  std::string row(rowBytes, '\0');
  size_t pos = 0;
  while (pos < data.size()) {
    int tag = static_cast<uint8_t>(data[pos++]);
    size_t count = std::min(rowBytes, data.size() - pos);
    for (size_t i = 0; i < count; ++i) {
      int raw = static_cast<uint8_t>(data[pos + i]);
      int left = i >= pixelBytes ? static_cast<uint8_t>(row[i - pixelBytes]) : 0;
      int up = static_cast<uint8_t>(above[i]);
      int upperLeft = i >= pixelBytes ? static_cast<uint8_t>(above[i - pixelBytes]) : 0;
      int value = raw;
      switch (tag) {
      case 1: value = raw + left; break;
      case 2: value = raw + up; break;
      case 3: value = raw + (left + up) / 2; break;
      case 4: value = raw + Paeth(left, up, upperLeft); break;
      default: break;
      }
      row[i] = static_cast<char>(value & 0xFF);
    }
    out.append(row, 0, count);
    pos += count;
    std::swap(above, row);
  }
  return out;
}

std::string UndoTiff(std::string data, size_t rowBytes, size_t pixelBytes,
                     const PredictorParams& params) {
  if (params.BitsPerComponent != 8)
    return data; // only whole-byte components are handled
  for (size_t rowStart = 0; rowStart < data.size(); rowStart += rowBytes) {
    size_t rowEnd = std::min(data.size(), rowStart + rowBytes);
    for (size_t i = rowStart + pixelBytes; i < rowEnd; ++i)
      data[i] = static_cast<char>(data[i] + data[i - pixelBytes]);
  }
  return data;
}

} // namespace

PredictorParams ReadPredictorParams(std::string_view decodeParms) {
  PredictorParams params;
  params.Predictor = ToInteger(GetKeyValue("/predictor", decodeParms), 1);
  params.Colors = ToInteger(GetKeyValue("/colors", decodeParms), 1);
  params.BitsPerComponent = ToInteger(GetKeyValue("/bitspercomponent", decodeParms), 8);
  params.Columns = ToInteger(GetKeyValue("/columns", decodeParms), 1);
  return params;
}

std::string ApplyPredictor(std::string data, const PredictorParams& params) {
  if (data.empty())
    return data;
  size_t pixelBytes = PixelBytes(params);
  if (params.Predictor >= 10) {
    // Each row carries a tag byte before its pixels.
    size_t rowBytes = RowBytes(params, data.size() > 0 ? data.size() - 1 : 0);
    return UndoPng(data, rowBytes, pixelBytes);
  }
  if (params.Predictor == 2) {
    size_t rowBytes = RowBytes(params, data.size());
    return UndoTiff(std::move(data), rowBytes, pixelBytes, params);
  }
  return data;
}

} // namespace scrivlet::pdf
