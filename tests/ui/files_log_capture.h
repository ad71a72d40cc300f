#pragma once

// The warnings of the files logging category ("ondrel.files"), collected while it lives.

#include "tests/support/category_log_capture.h"

namespace ondrel::test {

class FilesLogCapture : public CategoryLogCapture {
  public:
    FilesLogCapture() : CategoryLogCapture("ondrel.files") {}
};

}  // namespace ondrel::test
