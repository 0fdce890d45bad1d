// ZxStatus: name matching and stream output.
#include "model/zx_status.h"

bool ZxStatus::matches(const ZxString& text) const {
  if (text == name()) return true;
  if (text == "done") return isDone();
  if (text == "active") return isActive();
  if (text == "assigned") return isAssigned();
  return false;
}

std::ostream& operator<<(std::ostream& os, const ZxStatus& status) { return os << status.name(); }
