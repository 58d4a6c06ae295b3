#include "pdf/filters/FlateDecode.h"

#include "compress/Inflate.h"

namespace scrivlet::pdf {

FlateResult FlateDecode(std::string_view input, size_t outputCap) {
  InflateResult inflated = Inflate(input, DeflateWrapper::Zlib, outputCap);
  if (inflated.Status == InflateStatus::Damaged && inflated.Data.empty())
    inflated = Inflate(input, DeflateWrapper::Raw, outputCap);
  FlateResult result;
  result.CapExceeded = inflated.Status == InflateStatus::CapExceeded;
  result.Data = std::move(inflated.Data);
  return result;
}

} // namespace scrivlet::pdf
