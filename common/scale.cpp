#include "scale.h"

std::int32_t scale_for(std::int32_t cells) {
  // A screen of no cells would divide by zero; like one wider than the full scale, it places
  // nothing.
  return cells != 0 ? full_scale / cells : 0;
}
