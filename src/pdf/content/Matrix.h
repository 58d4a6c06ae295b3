// An affine transformation of PDF graphics ([a b c d e f]: a point (x, y)
// goes to (a x + c y + e, b x + d y + f)).
#pragma once

namespace scrivlet::pdf {

struct Point {
  double x = 0, y = 0;
};

struct Matrix {
  double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

  static Matrix Translation(double x, double y) { return {1, 0, 0, 1, x, y}; }

  // This transformation followed by next.
  Matrix Then(const Matrix& next) const {
    return {a * next.a + b * next.c,          a * next.b + b * next.d,
            c * next.a + d * next.c,          c * next.b + d * next.d,
            e * next.a + f * next.c + next.e, e * next.b + f * next.d + next.f};
  }
  Point Apply(double x, double y) const { return {a * x + c * y + e, b * x + d * y + f}; }
};

} // namespace scrivlet::pdf
