#include "platform/qt/qt_standard_icons.h"

#include <QEvent>
#include <QGuiApplication>
#include <QStyleOption>
#include <QTimer>
#include <QWidget>

namespace morvane {

namespace {

// Waits for the window's first paint event; the action runs once that paint
// is on screen, from the event loop.
class FirstPaintWatch : public QObject {
  public:
    FirstPaintWatch(QWidget& window, std::function<void()> action)
        : QObject(&window), action_(std::move(action)) {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                action_();
                deleteLater();
            });
        }
        return false;
    }

  private:
    std::function<void()> action_;
};

}  // namespace

void afterFirstPaint(QWidget& window, std::function<void()> action) {
    new FirstPaintWatch(window, std::move(action));
}

CachedIconsStyle::CachedIconsStyle(QStyle* base) : QProxyStyle(base) {}

QIcon CachedIconsStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
                                     const QWidget* widget) const {
    // An option may ask for a state or a direction of its own: not cached.
    // Qt's icons of the Yes and No buttons come out with other pixels once
    // their first pixmap was made; they are asked afresh, so that every box
    // shows them as a fresh box always did.
    if (option != nullptr || standardIcon == SP_DialogYesButton ||
        standardIcon == SP_DialogNoButton)
        return QProxyStyle::standardIcon(standardIcon, option, widget);
    if (QIcon::themeName() != themeOfIcons_) {
        icons_.clear();
        themeOfIcons_ = QIcon::themeName();
    }
    // Arrows and the like differ from right to left.
    const int key = standardIcon * 2 + (QGuiApplication::isRightToLeft() ? 1 : 0);
    auto found = icons_.constFind(key);
    if (found == icons_.constEnd())
        found = icons_.insert(key, QProxyStyle::standardIcon(standardIcon, nullptr, widget));
    return *found;
}

void CachedIconsStyle::prepareBoxIcons() const {
    for (StandardPixmap icon :
         {SP_MessageBoxInformation, SP_MessageBoxWarning, SP_MessageBoxCritical,
          SP_MessageBoxQuestion, SP_DialogOkButton, SP_DialogCancelButton, SP_DialogAbortButton,
          SP_DialogRetryButton, SP_DialogIgnoreButton})
        standardIcon(icon);
}

}  // namespace morvane
