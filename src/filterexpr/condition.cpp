#include "filterexpr/condition.h"

namespace notarra {

bool CompareOpHolds(TVelaCompareOp op, int comparison) {
  switch (op) {
    case coEqual: return comparison == 0;
    case coGreater: return comparison > 0;
    case coLess: return comparison < 0;
    case coGreaterEqual: return comparison >= 0;
    case coLessEqual: return comparison <= 0;
    case coNotEqual: return comparison != 0;
    case coStarEqual: return true;
    case coLike: break;
  }
  return false;
}

}  // namespace notarra
