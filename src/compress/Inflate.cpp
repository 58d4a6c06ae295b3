#include "compress/Inflate.h"

#include <algorithm>
#include <zlib.h>

namespace scrivlet {
namespace {

// Deflate expands at most about 1032 to 1.
constexpr size_t kMaxDeflateRatio = 1032;
constexpr size_t kFirstBlock = 64 * 1024;
// The least a full buffer grows by: small enough that a stream given a
// small size hint never zero-fills much more than it produces.
constexpr size_t kLeastGrowth = 4 * 1024;
// zlib counts in 32 bits: feed and drain in blocks below that.
constexpr size_t kZlibBlock = size_t{1} << 30;

// Owns one zlib inflate state for the scope of a call.
class InflateStream {
public:
  explicit InflateStream(DeflateWrapper wrapper) {
    FReady =
        inflateInit2(&FStream, wrapper == DeflateWrapper::Raw ? -MAX_WBITS : MAX_WBITS) == Z_OK;
  }
  ~InflateStream() {
    if (FReady)
      inflateEnd(&FStream);
  }
  InflateStream(const InflateStream&) = delete;
  InflateStream& operator=(const InflateStream&) = delete;

  bool Ready() const { return FReady; }
  z_stream& Get() { return FStream; }

private:
  z_stream FStream{};
  bool FReady = false;
};

size_t FirstAllocation(size_t inputSize, size_t outputCap, size_t sizeHint) {
  size_t mostPossible =
      inputSize > (SIZE_MAX - 64) / kMaxDeflateRatio ? SIZE_MAX : inputSize * kMaxDeflateRatio + 64;
  size_t first = sizeHint ? sizeHint : std::max(kFirstBlock, inputSize * 4);
  return std::min({first, mostPossible, outputCap});
}

} // namespace

InflateResult Inflate(std::string_view input, DeflateWrapper wrapper, size_t outputCap,
                      size_t sizeHint) {
  InflateResult result;
  InflateStream stream(wrapper);
  if (!stream.Ready()) {
    result.Status = InflateStatus::Damaged;
    return result;
  }
  z_stream& z = stream.Get();
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
  size_t inputLeft = input.size();
  size_t produced = 0;
  std::string& out = result.Data;
  // Doubling keeps the cost of growing linear in the output.
  out.resize(FirstAllocation(input.size(), outputCap, sizeHint));
  for (;;) {
    if (produced == out.size()) {
      if (out.size() >= outputCap) {
        result.Status = InflateStatus::CapExceeded;
        break;
      }
      out.resize(std::min(outputCap, std::max(out.size() * 2, kLeastGrowth)));
    }
    uInt inChunk = static_cast<uInt>(std::min(inputLeft, kZlibBlock));
    uInt outChunk = static_cast<uInt>(std::min(out.size() - produced, kZlibBlock));
    z.avail_in = inChunk;
    z.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
    z.avail_out = outChunk;
    int status = inflate(&z, Z_NO_FLUSH);
    inputLeft -= inChunk - z.avail_in;
    produced += outChunk - z.avail_out;
    if (status == Z_STREAM_END) {
      result.Status = InflateStatus::Complete;
      break;
    }
    if (status == Z_BUF_ERROR && inputLeft == 0 && z.avail_out != 0) {
      result.Status = InflateStatus::Truncated;
      break;
    }
    if (status != Z_OK && status != Z_BUF_ERROR) {
      result.Status = InflateStatus::Damaged;
      break;
    }
    if (status == Z_OK && inputLeft == 0 && z.avail_out != 0) {
      // zlib took all the input and still wants more.
      result.Status = InflateStatus::Truncated;
      break;
    }
  }
  out.resize(produced);
  result.Consumed = input.size() - inputLeft;
  return result;
}

} // namespace scrivlet
