// The caption dialog's Qt view: a text box and the buttons Ok (Enter) and
// Cancel (Escape) at the places the form gives, centred on the screen. The
// form decides when Ok may be pressed and when the dialog closes; any
// closing that is not a button (the frame, Escape, a capture) is Cancel.
#include <QtGui/QGuiApplication>
#include <QtGui/QScreen>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>

#include "platform/form_windows.h"
#include "platform/qt/qt_window.h"
#include "platform/screen.h"
#include "platform/window.h"

namespace velmora::gui {
namespace {

class CaptionWindow final : public QDialog {
 public:
  CaptionWindow()
      : QDialog(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                             Qt::WindowCloseButtonHint),
        text_(new QLineEdit(this)),
        ok_(new QPushButton(this)),
        cancel_(new QPushButton(this)) {
    setObjectName("frmCaption");
    text_->setObjectName("txtCaption");
    ok_->setObjectName("btnOk");
    cancel_->setObjectName("btnCancel");
    ok_->setDefault(true);
    connect(text_, &QLineEdit::textChanged, this, [this](const QString& text) {
      if (syncing_ || form_ == nullptr) return;
      form_->txtCaption_Change(text.toStdString());
      showState();
    });
    connect(ok_, &QPushButton::clicked, this, [this] {
      if (form_ == nullptr) return;
      form_->btnOk_Click();
      showState();
    });
    connect(cancel_, &QPushButton::clicked, this, [this] {
      if (form_ == nullptr) return;
      form_->btnCancel_Click();
      showState();
    });
  }

  void show(CaptionForm& form) {
    const ScreenMetrics screen = defaultScreen().metrics();
    form_ = &form;
    screen_ = screen;
    setWindowTitle(qt::toQString(form.caption()));
    place(*text_, form.txtCaption());
    place(*ok_, form.btnOk());
    place(*cancel_, form.btnCancel());
    resize(qt::toPixels(form.clientWidth(), screen.twipsPerPixelX),
           qt::toPixels(form.clientHeight(), screen.twipsPerPixelY));
    centre();
    showState();
    text_->setFocus();
    try {
      qt::runModal(*this);
    } catch (...) {
      form_ = nullptr;
      throw;
    }
    form_ = nullptr;
  }

 protected:
  void done(int result) override {
    if (form_ != nullptr && form_->shown()) form_->btnCancel_Click();
    QDialog::done(result);
  }

 private:
  void place(QWidget& control, const CaptionForm::Control& design) {
    control.setGeometry(qt::toPixels(design.rect, screen_));
    if (auto* button = qobject_cast<QPushButton*>(&control)) {
      button->setText(qt::toQString(design.text));
    }
  }

  // No owner is given, so the dialog centres on the screen.
  void centre() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QSize outer = size() + qt::frameExtra(*this);
    const QRect area = screen->availableGeometry();
    move(area.left() + (area.width() - outer.width()) / 2,
         area.top() + (area.height() - outer.height()) / 2);
  }

  // The form's state: its text (unless the box already holds it, so the
  // cursor stays where the user is typing), Ok's enabling, the closing.
  void showState() {
    syncing_ = true;
    const QString text = QString::fromStdString(form_->text());
    if (text_->text() != text) text_->setText(text);
    ok_->setEnabled(form_->okEnabled());
    syncing_ = false;
    if (!form_->shown() && isVisible()) QDialog::done(Accepted);
  }

  QLineEdit* text_;
  QPushButton* ok_;
  QPushButton* cancel_;
  CaptionForm* form_ = nullptr;
  ScreenMetrics screen_;
  bool syncing_ = false;
};

}  // namespace

void showCaptionForm(CaptionForm& form) {
  requireGuiThread();
  qt::threadWindow<CaptionWindow>().show(form);
}

}  // namespace velmora::gui
