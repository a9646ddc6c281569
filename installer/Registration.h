// The product's entry in the system's list of installed programs.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace installer {

class Registration {
 public:
  // Writes the entry's values for the product in `folder`; false when any could not be written.
  bool Register(const std::string& folder);
  // Takes back a registration that failed part way: the entry goes when this attempt made it;
  // an earlier installation's entry gets back the values it had.
  void Withdraw() const;

  struct EarlierValue {
    std::string name;
    bool existed = false;
    DWORD type = 0;
    std::vector<BYTE> data;
  };

 private:
  void SaveEarlierValues();

  bool keyExisted_ = false;           // the entry was there before Register
  std::vector<EarlierValue> earlier_;  // each value as it was before Register
};

}  // namespace installer
