// The column chooser's Qt view: a resizable tool window holding one
// check-box list. The form (form_windows.h) decides everything; the view
// shows its items, places the window where the form says, and reports the
// user's ticks, every resize and the closing.
#include <QtGui/QResizeEvent>
#include <QtWidgets/QListWidget>

#include <algorithm>

#include "platform/form_windows.h"
#include "platform/qt/qt_window.h"
#include "platform/screen.h"
#include "platform/window.h"

namespace velmora::gui {
namespace {

class ColumnsWindow final : public QDialog {
 public:
  ColumnsWindow()
      : QDialog(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                             Qt::WindowCloseButtonHint),
        list_(new QListWidget(this)) {
    setObjectName("frmColumns");
    list_->setObjectName("lstColumn");
    list_->setSortingEnabled(false);
    connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
      if (syncing_ || form_ == nullptr) return;
      form_->lstColumn_ItemCheck(list_->row(item), item->checkState() == Qt::Checked);
      showItems();
    });
  }

  void show(ColumnsForm& form) {
    const ScreenMetrics screen = defaultScreen().metrics();
    form_ = &form;
    screen_ = screen;
    setWindowTitle(qt::toQString(form.caption()));
    showItems();
    list_->setCurrentRow(list_->count() > 0 ? 0 : -1);
    place(form.windowRect());
    fitList();
    open_ = true;
    try {
      qt::runModal(*this);
    } catch (...) {
      open_ = false;
      form_ = nullptr;
      throw;
    }
    form_ = nullptr;
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QDialog::resizeEvent(event);
    fitList();
  }

  // Every closing passes here: the frame's close button, Escape, a capture.
  void done(int result) override {
    if (open_ && form_ != nullptr) {
      open_ = false;
      const QRect outer = frameGeometry();
      form_->Form_QueryUnload(
          TwipsRect{static_cast<float>(outer.left() * screen_.twipsPerPixelX),
                    static_cast<float>(outer.top() * screen_.twipsPerPixelY),
                    static_cast<float>(outer.width() * screen_.twipsPerPixelX),
                    static_cast<float>(outer.height() * screen_.twipsPerPixelY)});
    }
    QDialog::done(result);
  }

 private:
  // The form places the list in the client area.
  void fitList() {
    if (form_ == nullptr) return;
    form_->Form_Resize(ClientPixels{0, 0, width(), height()});
    list_->setGeometry(qt::toPixels(form_->listRect(), screen_));
  }

  // The list as the form holds it; setting items from here is not a tick.
  void showItems() {
    syncing_ = true;
    const auto& items = form_->items();
    if (static_cast<std::size_t>(list_->count()) != items.size()) list_->clear();
    for (std::size_t i = 0; i < items.size(); ++i) {
      QListWidgetItem* item = list_->item(static_cast<int>(i));
      if (item == nullptr) {
        item = new QListWidgetItem(list_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
      }
      item->setText(qt::toQString(items[i].text));
      item->setData(Qt::UserRole, items[i].itemData);
      item->setCheckState(items[i].selected ? Qt::Checked : Qt::Unchecked);
    }
    syncing_ = false;
  }

  // The form gives the outer window; the frame's share, known once the
  // window has been shown, comes off the client size.
  void place(const TwipsRect& window) {
    const QSize extra = qt::frameExtra(*this);
    resize(std::max(1, qt::toPixels(window.width, screen_.twipsPerPixelX) - extra.width()),
           std::max(1, qt::toPixels(window.height, screen_.twipsPerPixelY) - extra.height()));
    move(qt::toPixels(window.left, screen_.twipsPerPixelX),
         qt::toPixels(window.top, screen_.twipsPerPixelY));
  }

  QListWidget* list_;
  ColumnsForm* form_ = nullptr;
  ScreenMetrics screen_;
  bool syncing_ = false;
  bool open_ = false;
};

}  // namespace

void showColumnsForm(ColumnsForm& form) {
  requireGuiThread();
  qt::threadWindow<ColumnsWindow>().show(form);
}

}  // namespace velmora::gui
