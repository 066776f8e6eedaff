// The message window on Qt Widgets: a fixed dialog that renders the form
// and forwards what the user does to the form's handlers.
#include <QtCore/QCoreApplication>
#include <QtGui/QCursor>
#include <QtGui/QFontMetrics>
#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtWidgets/QDialog>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMenu>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QStyle>

#include <array>
#include <climits>

#include "platform/message_window.h"
#include "platform/qt/qt_window.h"
#include "platform/screen.h"

namespace velmora::gui {
namespace {

constexpr std::array<QStyle::StandardPixmap, 4> kIcons = {
    QStyle::SP_MessageBoxInformation, QStyle::SP_MessageBoxCritical, QStyle::SP_MessageBoxQuestion,
    QStyle::SP_MessageBoxWarning};

// The runtime's mouse button codes.
std::int32_t buttonCode(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return 1;
    case Qt::RightButton:
      return 2;
    case Qt::MiddleButton:
      return 4;
    default:
      return 0;
  }
}

// The runtime's key codes for the keys whose codes differ from Qt's.
std::int32_t keyCode(int key) {
  switch (key) {
    case Qt::Key_Escape:
      return 27;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 13;
    default:
      return key < 0x100 ? key : 0;
  }
}

class QtMessageWindow;

// Escape is the form's to handle, when the key is released: the dialog's
// own Escape (reject on the press) is turned off.
class MessageDialog final : public QDialog {
 public:
  explicit MessageDialog(QtMessageWindow& owner) : owner_(owner) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Escape) return event->accept();
    QDialog::keyPressEvent(event);
  }
  void keyReleaseEvent(QKeyEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QtMessageWindow& owner_;
};

class QtMessageWindow final : public MessageWindow {
 public:
  explicit QtMessageWindow(MessageForm& form)
      : form_(form), metrics_(defaultScreen().metrics()), dialog_(*this) {
    dialog_.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    for (std::size_t i = 0; i < icons_.size(); ++i) {
      icons_[i] = new QLabel(&dialog_);
      icons_[i]->setPixmap(dialog_.style()->standardIcon(kIcons[i]).pixmap(32, 32));
      icons_[i]->installEventFilter(&dialog_);
    }
    label_ = new QLabel(&dialog_);
    label_->setObjectName("txtMessage");
    label_->setTextFormat(Qt::PlainText);
    label_->setWordWrap(true);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label_->installEventFilter(&dialog_);
    for (int i = 0; i < MessageForm::kButtons; ++i) {
      QPushButton* button = buttons_[static_cast<std::size_t>(i)] = new QPushButton(&dialog_);
      button->setObjectName(QString("btnCommand%1").arg(i));
      QObject::connect(button, &QPushButton::clicked, &dialog_, [this, i] {
        form_.btnCommand_Click(i);
        refresh();
      });
    }
  }

  // --- events from the dialog ---
  void activated() {
    form_.Form_Activate();
    refresh();
  }
  void keyReleased(int key) {
    form_.Form_KeyUp(keyCode(key));
    refresh();
  }
  void mouseReleased(QObject* over, Qt::MouseButton button) {
    const std::int32_t code = buttonCode(button);
    if (over == label_) {
      form_.txtMessage_MouseUp(code);
    } else if (over == &dialog_) {
      form_.Form_MouseUp(code);
    } else {
      for (std::size_t i = 0; i < icons_.size(); ++i) {
        if (over == icons_[i]) form_.imIcon_MouseUp(static_cast<int>(i), code);
      }
    }
    refresh();
  }
  bool isPart(QObject* object) const {
    if (object == label_) return true;
    for (const QLabel* icon : icons_) {
      if (object == icon) return true;
    }
    return false;
  }

  // --- MessageWindow ---
  float labelHeight(std::string_view text, float width) override {
    const QFontMetrics metrics(label_->font());
    const QRect needed =
        metrics.boundingRect(QRect(0, 0, pixelsX(width), INT_MAX / 2),
                             Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, qt::toQString(text));
    return static_cast<float>(needed.height() * metrics_.twipsPerPixelY);
  }
  float frameWidth() const override {
    return static_cast<float>(qt::frameExtra(dialog_).width() * metrics_.twipsPerPixelX);
  }
  float frameHeight() const override {
    return static_cast<float>(qt::frameExtra(dialog_).height() * metrics_.twipsPerPixelY);
  }

  void refresh() override {
    dialog_.setWindowTitle(qt::toQString(form_.caption()));
    dialog_.setFixedSize(pixelsX(form_.clientWidth()), pixelsY(form_.clientHeight()));
    for (std::size_t i = 0; i < icons_.size(); ++i) {
      icons_[i]->setGeometry(pixels(form_.iconRect()));
      icons_[i]->setVisible(form_.icon() == static_cast<int>(i));
    }
    if (form_.text() != labelText_) {
      labelText_ = form_.text();
      label_->setText(qt::toQString(labelText_));
    }
    label_->setGeometry(pixels(form_.labelRect()));
    for (int i = 0; i < MessageForm::kButtons; ++i) {
      QPushButton* button = buttons_[static_cast<std::size_t>(i)];
      const MessageForm::CommandButton b = form_.button(i);
      button->setText(qt::toQString(b.text));
      button->setGeometry(pixels(b.rect));
      button->setVisible(b.visible);
      button->setEnabled(b.enabled);
      button->setDefault(i == form_.defaultButton());
    }
    const int focus = form_.focusButton();
    if (focus >= 0 && focus < MessageForm::kButtons) {
      QPushButton* button = buttons_[static_cast<std::size_t>(focus)];
      if (button->isVisibleTo(&dialog_) && button->isEnabled()) button->setFocus();
    }
    if (!form_.shown() && dialog_.isVisible()) dialog_.done(QDialog::Accepted);
  }

  void processEvents() override { QCoreApplication::processEvents(); }

  void popupMenu(std::string_view menuId, std::span<const MenuTool> tools) override {
    auto* menu = new QMenu(&dialog_);
    menu->setObjectName(qt::toQString(menuId));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const MenuTool& tool : tools) {
      QAction* action = menu->addAction(qt::toQString(tool.caption));
      action->setObjectName(qt::toQString(tool.id));
      QObject::connect(action, &QAction::triggered, &dialog_, [this, id = std::string(tool.id)] {
        form_.MsgMenu_ToolClick(id);
        refresh();
      });
    }
    menu->popup(QCursor::pos());
  }

  // --- Window ---
  void moveTopmost(std::int32_t x, std::int32_t y) override { qt::moveTopmost(dialog_, x, y); }
  void showModal() override { qt::runModal(dialog_); }
  void close() noexcept override {
    try {
      dialog_.done(QDialog::Rejected);
    } catch (...) {
    }
  }
  std::int64_t handle() const noexcept override { return qt::nativeHandle(dialog_); }

 private:
  int pixelsX(double twips) const { return qt::toPixels(twips, metrics_.twipsPerPixelX); }
  int pixelsY(double twips) const { return qt::toPixels(twips, metrics_.twipsPerPixelY); }
  QRect pixels(const TwipsRect& r) const { return qt::toPixels(r, metrics_); }

  MessageForm& form_;
  ScreenMetrics metrics_;
  MessageDialog dialog_;
  std::array<QLabel*, 4> icons_{};
  QLabel* label_ = nullptr;
  std::array<QPushButton*, MessageForm::kButtons> buttons_{};
  std::string labelText_;
};

void MessageDialog::keyReleaseEvent(QKeyEvent* event) {
  if (!event->isAutoRepeat()) owner_.keyReleased(event->key());
}

void MessageDialog::mouseReleaseEvent(QMouseEvent* event) {
  owner_.mouseReleased(this, event->button());
}

bool MessageDialog::event(QEvent* event) {
  const bool handled = QDialog::event(event);
  if (event->type() == QEvent::WindowActivate) owner_.activated();
  return handled;
}

// The pictures and the text report their own mouse releases, which then go
// no further.
bool MessageDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease && owner_.isPart(watched)) {
    owner_.mouseReleased(watched, static_cast<QMouseEvent*>(event)->button());
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace

std::unique_ptr<MessageWindow> makeMessageWindow(MessageForm& form) {
  requireGuiThread();
  return std::make_unique<QtMessageWindow>(form);
}

}  // namespace velmora::gui
