// frmCaption: the dialog that renames one column. The column's caption is
// put into a text box; Ok may be pressed only while the text is not empty
// and differs from the caption it opened with, letter for letter (a change
// of letter case or of spaces counts). Enter presses Ok while it is
// enabled, Escape presses Cancel.
//
// The form holds the dialog's state and design in twips; the window system
// (platform/form_windows.h) renders it and calls the handlers below. One
// form per thread, kept between uses with its state.
#pragma once

#include <string>
#include <string_view>

#include "platform/form_windows.h"

namespace velmora::grid {

class frmCaption final : public gui::CaptionForm {
 public:
  static constexpr std::string_view kTitle = "Change Caption";
  static constexpr float kClientWidth = 2910;
  static constexpr float kClientHeight = 1095;

  // Shows the dialog on `OldCaption` modally; true when Ok closed it, with
  // the confirmed text in `NewCaption`. A dialog that cannot be shown (no
  // display, not the GUI thread) counts as cancelled. Never raises.
  bool ChangeColumn(std::string OldCaption, std::string& NewCaption) noexcept;

  // Puts `OldCaption` into the text box of a dialog about to be shown.
  // Until a button closes it, the dialog counts as cancelled.
  void open(std::string OldCaption);
  // After the dialog has closed: true after Ok, with the confirmed text in
  // `NewCaption`. Any other closing (Cancel, Escape, the window frame, a
  // dialog that could not be shown) gives false and the text of the last Ok.
  bool close(std::string& NewCaption) const;

  // --- gui::CaptionForm ---
  std::string_view caption() const override { return kTitle; }
  float clientWidth() const override { return kClientWidth; }
  float clientHeight() const override { return kClientHeight; }
  Control txtCaption() const override { return {{120, 120, 2655, 285}, {}}; }
  Control btnOk() const override { return {{120, 600, 1095, 375}, "Ok"}; }
  Control btnCancel() const override { return {{1800, 600, 975, 375}, "Cancel"}; }
  const std::string& text() const override { return text_; }
  bool okEnabled() const override { return okEnabled_; }
  bool shown() const override { return shown_; }
  void txtCaption_Change(std::string text) override;
  void btnOk_Click() override;
  void btnCancel_Click() override;

  bool cancelled() const { return cancelled_; }

 private:
  std::string oldCaption_;
  std::string newCaption_;
  bool cancelled_ = true;
  std::string text_;
  bool okEnabled_ = false;
  bool shown_ = false;
};

}  // namespace velmora::grid
