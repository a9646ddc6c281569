// The product's entry in the system's list of installed programs.
#pragma once
#include <string>

namespace installer {

class Registration {
 public:
  // Writes the entry's values for the product in `folder`; false when any could not be written.
  bool Register(const std::string& folder);
  // Takes back a registration that failed part way: the entry goes when this attempt made it;
  // an earlier installation's entry stays.
  void Withdraw() const;

 private:
  bool keyExisted_ = false;  // the entry was there before Register
};

}  // namespace installer
