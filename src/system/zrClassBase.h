// Root of the library's classes that have virtual operations.
#pragma once

class zrClassBase {
 public:
  virtual ~zrClassBase() = default;
};
