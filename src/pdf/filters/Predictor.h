// Predictors that Flate and LZW data may carry (the /DecodeParms of the
// stream): PNG predictors (10 and above; each row starts with its own filter
// tag: None, Sub, Up, Average, Paeth) and the TIFF horizontal predictor (2).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scrivlet::pdf {

struct PredictorParams {
  int64_t Predictor = 1;
  int64_t Colors = 1;
  int64_t BitsPerComponent = 8;
  int64_t Columns = 1;
};

// The parameters of one /DecodeParms dictionary (its inside).
PredictorParams ReadPredictorParams(std::string_view decodeParms);

// The data with the predictor undone.  Predictors 1 and unknown values
// leave the data as it is.  Row sizes come from the parameters but never
// exceed the data; a final short row is decoded as far as it goes.
std::string ApplyPredictor(std::string data, const PredictorParams& params);

} // namespace scrivlet::pdf
