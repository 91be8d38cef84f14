#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace bench {

// The value `fraction` of the way through the sorted values (0.5 the median); -1 for none.
inline double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

}  // namespace bench
