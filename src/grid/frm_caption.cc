// The caption dialog's logic: the enable rule of Ok and the two buttons.
#include "grid/frm_caption.h"

#include <utility>

#include "core/ignore_errors.h"

namespace velmora::grid {

void frmCaption::open(std::string OldCaption) {
  oldCaption_ = std::move(OldCaption);
  // Until a button says otherwise the dialog counts as cancelled, so a
  // closing through the frame (or no showing at all) changes nothing.
  cancelled_ = true;
  shown_ = true;
  txtCaption_Change(oldCaption_);
}

bool frmCaption::ChangeColumn(std::string OldCaption, std::string& NewCaption) noexcept {
  ignoreErrors([&] {
    open(std::move(OldCaption));
    gui::showCaptionForm(*this);
  });
  shown_ = false;
  return ignoreErrors([&] { (void)close(NewCaption); }) && !cancelled_;
}

bool frmCaption::close(std::string& NewCaption) const {
  NewCaption = newCaption_;
  return !cancelled_;
}

void frmCaption::txtCaption_Change(std::string text) {
  text_ = std::move(text);
  okEnabled_ = !text_.empty() && text_ != oldCaption_;
}

void frmCaption::btnOk_Click() {
  // Enter reaches here only through an enabled Ok; a direct call while Ok
  // is disabled is refused all the same, so an empty or unchanged caption
  // is never confirmed.
  if (!okEnabled_) return;
  cancelled_ = false;
  newCaption_ = text_;
  shown_ = false;
}

void frmCaption::btnCancel_Click() {
  cancelled_ = true;
  shown_ = false;
}

}  // namespace velmora::grid
