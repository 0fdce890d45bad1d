// Fuzz target: the variable key text reader (ZxVariable::fromKeyText).
// Property: keyText() of a read key reads back to the same scope and name,
// and, outside the global scope, the same job number.
#include "fuzz_support.h"
#include "model/zx_variable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ZxVariable variable;
  variable.fromKeyText(zxfuzz::text(data, size));
  ZxString key = variable.keyText();
  ZxVariable back;
  back.fromKeyText(key);
  ZX_FUZZ_CHECK(back.scope() == variable.scope());
  ZX_FUZZ_CHECK(zxfuzz::same(back.name(), variable.name()));
  if (variable.scope() != VariableScope::kGlobal) ZX_FUZZ_CHECK(back.pid() == variable.pid());
  ZX_FUZZ_CHECK(zxfuzz::same(back.keyText(), key));
  return 0;
}
