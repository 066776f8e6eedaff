// The grid services' part of the calling thread's state: the thread's one
// column chooser and one caption dialog, built at the first use and kept
// for the thread's life, so a later call reopens the chooser where it was
// closed. See frame/thread_state.h for the list of parts.
#pragma once

#include "grid/frm_caption.h"
#include "grid/frm_columns.h"

namespace velmora::grid {

struct FormsState {
  frmColumns columns;
  frmCaption caption;
};

// This thread's grid forms.
FormsState& formsState();

}  // namespace velmora::grid
