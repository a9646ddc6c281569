// The progress bar unit (`ProcessBar`, type "进度条"): a standard "msctls_progress32" control.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include "runtime/UnitObject.h"
#include "window/template/PropertyBlocks.h"

namespace window {

struct ProcessBarState {
  tmpl::ProcessBarBlock block;  // own properties; minimum, maximum and position in 0 ... 32767
};

class ProcessBar : public rt::UnitObject {
 public:
  static rt::UnitObject* Create(const rt::UnitCreateArgs& args);
  int32_t SetProperty(int32_t k, const rt::PropertyData& value);
  bool GetProperty(int32_t k, rt::PropertyData& value) const;
  std::string WriteBlock() const { return state_.block.Write(); }

 protected:
  void PostNcDestroy() override { delete this; }

 private:
  void ApplyRange();

  ProcessBarState state_;
};

void* ProcessBarUnitInterface(int32_t query);

}  // namespace window
