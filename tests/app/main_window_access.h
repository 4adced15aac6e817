// The main window's handlers, for tests that call one whose control is not
// in place yet. One definition for every test file of the window: the
// window names this struct as its friend.
#pragma once

#include "app/main_window.h"

namespace notarra {

struct TfrmBlogTestAccess {
  static void VelaDBGrid1DblClick(TfrmBlog& form) { form.VelaDBGrid1DblClick(); }
};

}  // namespace notarra
